// The statistics record "data\Zemblar.rec": both balances, the 39 meters and the cashpot
// as 168 bytes of little-endian numbers, then a text trailer that names the build and
// keeps the date the file was first written. Read once at start-up, rewritten after
// every game.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "accounting/accounting.h"

inline constexpr const char* kRecordPath = "data\\Zemblar.rec";
inline constexpr const char* kRecordBuildText =
    "Strikora 2 Grindell V1.0.0.2  release date 29-01-2007";
inline constexpr const char* kRecordWrittenText = " - Inf File Written ";
inline constexpr size_t kRecordNumbersSize = 168;
inline constexpr int kRecordItems = 42;  // 2 balances, 39 meters, the cashpot

struct RecordImage {
  float balances[2] = {0.0f, 0.0f};
  int32_t meters[kMeterCount] = {};
  int32_t cashpot = 0;
  std::string dateWord;  // MM/DD/YY, the file's last 8 bytes
};

// Reads the whole 4-byte items present in the bytes, in file order, into the image;
// items beyond the end keep their values. Returns how many were read (0..42).
int DecodeRecordItems(const uint8_t* data, size_t size, RecordImage& image);
// The date word from a whole file's bytes: one word among its last 8 bytes.
std::string DecodeRecordDateWord(const uint8_t* data, size_t size);
// The whole file.
std::string EncodeRecord(const RecordImage& image);
// "MM/DD/YY" and whether a word has that shape.
bool IsRecordDateWord(const std::string& word);

void LoadRecord();
// The record as it would be saved now (the trailer keeps the date the file was first
// written), and the atomic write of such bytes (logged when it fails).
std::string RecordBytes();
bool WriteRecordBytes(const std::string& bytes);
// Saves the record: its image goes to the game journal first, so that a write cut off is
// done again at the next start.
void SaveRecord();
// The game's end and its record, written together into the game journal, then the file.
void SaveRecordAtGameEnd(const char* outcome, int32_t win);

// The marker an older version kept beside the record while a game was in play ("game N
// stake S started TIME"); the game journal takes in one it finds.
inline constexpr const char* kGameMarkerPath = "data\\Zemblar.game";
// The list of interrupted games an older version kept; meters still shows it.
inline constexpr const char* kInterruptedListPath = "data\\Interrupted.txt";
// Reads a marker's text; false when it does not have the marker's form.
bool ParseGameMarker(const std::string& text, int32_t& game, int32_t& stakePence,
                     std::string& started);
