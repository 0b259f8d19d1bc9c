#include "questions/pack_format.h"

#include <cstring>

// The key the packs are scrambled with. Changing it makes every built pack unreadable:
// packtool and the game share this one definition, so a rebuild of both is enough.
const uint8_t kPackKey[kPackKeyLength + 1] = {
    218, 9,   142, 75,  237, 123, 116, 88,  222, 145, 125, 185, 17,  137, 183, 23,  52,
    200, 80,  140, 12,  169, 197, 95,  75,  210, 151, 50,  80,  94,  47,  51,  236, 9,
    41,  153, 211, 148, 204, 2,   40,  169, 28,  132, 126, 181, 239, 16,  238, 239, 189,
    19,  27,  39,  77,  64,  36,  103, 155, 163, 92,  145, 139, 130, 144, 117, 188, 0};

const char* const wordTable[128] = {
    "Which ", "What ", "Who ", "Where ", "In ", "which ", "what ", "was ",  // 0x80
    "were ",  "the",   "e ",   "he",     "s ",  "th",     "n ",    "er",    // 0x88
    "in",     "an",    "d ",   "t ",     "ic",  "on",     "hi",    "es",    // 0x90
    "ch",     "ar",    "h ",   "Wh",     "re",  " o",     "or",    "as",    // 0x98
    "at",     "r ",    "en",   "st",     " i",  "ha",     "is",    "y ",    // 0xA0
    "f ",     " a",    "of",   "le",     "ri",  "te",     "al",    "nd",    // 0xA8
    "ng",     "se",    "it",   "ed",     "ea",  "ou",     "la",    " f",    // 0xB0
    "wa",     " '",    "me",   " s",     "ll",  "o ",     "ra",    "am",    // 0xB8
    " c",     "li",    "ne",   "nt",     "19",  "ti",     "el",    "to",    // 0xC0
    " S",     " B",    "il",   "ro",     "wh",  "ho",     "rs",    "a ",    // 0xC8
    "l ",     "Th",    " C",   "ve",     " h",  "na",     " d",    "co",    // 0xD0
    "di",     "de",    "ie",   "ta",     " T",  "ma",     "id",    " M",    // 0xD8
    "ur",     "ol",    "rt",   "et",     " m",  " b",     "ia",    "ir",    // 0xE0
    "fi",     "' ",    "un",   " A",     "ce",  "om",     " p",    "ow",    // 0xE8
    "m ",     "ac",    "io",   "ge",     "si",  " 1",     "g ",    "ad",    // 0xF0
    "tr",     "us",    " W",   "ca",     "rd",  "be",     " P",    ", ",    // 0xF8
};

int KeyLength(const uint8_t* key) {
  int n = 0;
  while (key && key[n] != 0) ++n;
  return n;
}

uint8_t UnscrambleByte(uint8_t stored, uint8_t keyByte) {
  if (stored < 8 || stored > 247) return stored;
  return static_cast<uint8_t>((stored + 232 - keyByte) % 240 + 8);
}

uint8_t ScrambleByte(uint8_t plain, uint8_t keyByte) {
  if (plain < 8 || plain > 247) return plain;
  return static_cast<uint8_t>((plain - 8 + keyByte) % 240 + 8);
}

PackLineRead ReadScrambledLine(FILE* file, const uint8_t* key, int keyLength, int32_t& keyPosition,
                               char* buffer, int capacity) {
  PackLineRead read;
  for (;;) {
    int c = std::fgetc(file);
    if (c == EOF) {
      read.endOfFile = true;
      break;
    }
    auto byte = static_cast<uint8_t>(c);
    if (keyLength > 0) byte = UnscrambleByte(byte, key[keyPosition % keyLength]);
    // The count wraps rather than overflowing on an endless file.
    keyPosition = keyPosition == INT32_MAX ? 0 : keyPosition + 1;
    if (byte == '\n') break;
    if (read.length < capacity - 1)
      buffer[read.length++] = static_cast<char>(byte);
    else
      read.cut = true;
  }
  if (capacity > 0) buffer[read.length] = '\0';
  return read;
}

int ExpandPackText(const char* line, char* text, int capacity, bool* cut) {
  int n = 0;
  bool full = false;
  auto put = [&](char c) {
    if (n < capacity - 1)
      text[n++] = c;
    else
      full = true;
  };
  for (const char* p = line; *p && !full; ++p) {
    auto byte = static_cast<uint8_t>(*p);
    if (byte >= 0x80) {
      for (const char* w = wordTable[byte - 0x80]; *w; ++w) put(*w);
    } else if (byte == '\t') {
      put(' ');
    } else if (byte < ' ') {
      // control bytes stand for nothing
    } else if (byte == kPoundStandIn) {
      put(kPoundCode);
    } else {
      put(static_cast<char>(byte));
    }
  }
  if (capacity > 0) text[n] = '\0';
  if (cut) *cut = full;
  return n;
}

bool CutAtLastStar(char* text, bool dropOneMore) {
  char* star = std::strrchr(text, '*');
  if (!star) return false;
  if (dropOneMore && star > text) --star;
  *star = '\0';
  return true;
}
