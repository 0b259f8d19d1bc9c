// The question pack file format, shared by the game and packtool: the pack key and the
// scramble it drives, the word table that compresses the text, the line reader and the
// expansion of a line into question text. Everything here is pure apart from reading the
// FILE it is given.
//
// A pack is a run of lines ended by newline bytes. Every stored byte S at file offset i
// with 8 <= S <= 247 is shifted within those 240 values by the key byte at i mod the key
// length; bytes 0..7 and 248..255 are stored as they are but still use up a key position.
// In the unscrambled text, bytes 0x80..0xFF stand for the words of `wordTable`, a tab for
// a space, "#" for the pound sign (character 127 of the fonts), other bytes below 32 for
// nothing. The question is the text before the last "*"; the rest is a remark.
#pragma once

#include <cstdint>
#include <cstdio>

inline constexpr int kPackKeyLength = 67;
// Followed by its terminating zero; every byte in 1..240.
extern const uint8_t kPackKey[kPackKeyLength + 1];

// The words and letter pairs of the codes 0x80..0xFF.
extern const char* const wordTable[128];

inline constexpr int kLineBufferSize = 500;    // a line and its terminator
inline constexpr int kQuestionTextSize = 200;  // a question and its terminator
inline constexpr char kPoundStandIn = '#';     // how a pack writes the pound sign
inline constexpr char kPoundCode = 127;        // what the fonts draw it from
inline constexpr int kIntroCategory = 25;

// Bytes of a key up to its zero.
int KeyLength(const uint8_t* key);
// One stored byte back to its plain value, and the inverse.
uint8_t UnscrambleByte(uint8_t stored, uint8_t keyByte);
uint8_t ScrambleByte(uint8_t plain, uint8_t keyByte);

struct PackLineRead {
  int length = 0;          // bytes kept in the buffer, before its terminator
  bool endOfFile = false;  // the read met the end of the file instead of a newline
  bool cut = false;        // the line was longer than the buffer; the rest was skipped
};

// Reads the next line of a pack into `buffer` (capacity bytes, zero-terminated, without
// its newline), unscrambling with `key` from `keyPosition`, which counts every byte read.
// Bytes beyond capacity - 1 are read and dropped up to the newline, so the next read
// starts on the next line. An empty key leaves the bytes as they are.
PackLineRead ReadScrambledLine(FILE* file, const uint8_t* key, int keyLength, int32_t& keyPosition,
                               char* buffer, int capacity);

// Expands a zero-terminated line into `text` (capacity bytes, zero-terminated). Expansion
// stops when the text is full; `cut`, when given, tells whether it did. Returns the
// length of the text.
int ExpandPackText(const char* line, char* text, int capacity, bool* cut);

// Ends the text at its last "*", dropping the character before it as well when
// `dropOneMore` (the intro packs). Without a "*" the text stays whole. Returns whether a
// "*" was found.
bool CutAtLastStar(char* text, bool dropOneMore);
