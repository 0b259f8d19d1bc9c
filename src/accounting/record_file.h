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
void SaveRecord();

// A game charged but not yet settled: a marker beside the record from
// the moment the stake is taken until the settled record is saved. One found at start-up
// was never settled (power cut, kill, crash): it is logged for the operator, who refunds
// the player by hand, and added to the list of interrupted games beside the record.
inline constexpr const char* kGameMarkerPath = "data\\Zemblar.game";
inline constexpr const char* kInterruptedListPath = "data\\Interrupted.txt";

void MarkGameInPlay(int32_t game, int32_t stakePence);
void ClearGameInPlay();
// True when a marker was found (and reported).
bool ReportInterruptedGame();
// Reads a marker's text ("game N stake S started TIME"); false when it does not have the
// marker's form.
bool ParseGameMarker(const std::string& text, int32_t& game, int32_t& stakePence,
                     std::string& started);
