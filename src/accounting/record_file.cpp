#include "accounting/record_file.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "shell/eventlog.h"
#include "shell/system.h"

namespace {

uint32_t ReadLe32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

void WriteLe32(std::string& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

float FloatOf(uint32_t bits) {
  float f;
  std::memcpy(&f, &bits, sizeof f);
  return f;
}

uint32_t BitsOf(float f) {
  uint32_t bits;
  std::memcpy(&bits, &f, sizeof bits);
  return bits;
}

std::string TodayDateWord() {
  platform::LocalTime t = Sys().GetLocalTime();
  char word[16];
  std::snprintf(word, sizeof word, "%02d/%02d/%02d", t.month % 100, t.day % 100, t.year % 100);
  return word;
}

void SetDefaults() {
  Balances[0] = Balances[1] = 0.0f;
  for (int32_t& m : Meters) m = 0;
  ResetCashpot();
}

RecordImage ImageOfAccounting() {
  RecordImage image;
  image.balances[0] = Balances[0];
  image.balances[1] = Balances[1];
  std::memcpy(image.meters, Meters, sizeof Meters);
  image.cashpot = Cashpot;
  return image;
}

}  // namespace

int DecodeRecordItems(const uint8_t* data, size_t size, RecordImage& image) {
  int items = static_cast<int>(std::min(size, kRecordNumbersSize) / 4);
  for (int i = 0; i < items; ++i) {
    uint32_t v = ReadLe32(data + 4 * i);
    if (i < 2)
      image.balances[i] = FloatOf(v);
    else if (i < 2 + kMeterCount)
      image.meters[i - 2] = static_cast<int32_t>(v);
    else
      image.cashpot = static_cast<int32_t>(v);
  }
  return items;
}

std::string DecodeRecordDateWord(const uint8_t* data, size_t size) {
  size_t start = size >= 8 ? size - 8 : 0;
  std::string word;
  for (size_t i = start; i < size; ++i) {
    char c = static_cast<char>(data[i]);
    bool space = c == ' ' || (c >= '\t' && c <= '\r');
    if (space && !word.empty()) break;
    if (!space) word += c;
  }
  return word;
}

bool IsRecordDateWord(const std::string& w) {
  if (w.size() != 8 || w[2] != '/' || w[5] != '/') return false;
  for (int i : {0, 1, 3, 4, 6, 7})
    if (w[i] < '0' || w[i] > '9') return false;
  return true;
}

std::string EncodeRecord(const RecordImage& image) {
  std::string out;
  out.reserve(kRecordNumbersSize + 80);
  WriteLe32(out, BitsOf(image.balances[0]));
  WriteLe32(out, BitsOf(image.balances[1]));
  for (int32_t m : image.meters) WriteLe32(out, static_cast<uint32_t>(m));
  WriteLe32(out, static_cast<uint32_t>(image.cashpot));
  out += kRecordBuildText;
  out += kRecordWrittenText;
  out += image.dateWord;
  return out;
}

void LoadRecord() {
  FILE* f = Sys().OpenFile(kRecordPath, "rb");
  if (!f) {
    SetDefaults();
    return;
  }
  long long size = Sys().FileSize(kRecordPath);
  if (size < 0) {
    SetDefaults();
    std::fclose(f);
    return;
  }
  if (size <= 10) {
    SetDefaults();
    std::fclose(f);
    Sys().MakeWritable(kRecordPath);
    Sys().RemoveFile(kRecordPath);
    return;
  }
  uint8_t numbers[kRecordNumbersSize];
  size_t got = std::fread(numbers, 1, sizeof numbers, f);
  std::fclose(f);
  RecordImage image = ImageOfAccounting();
  DecodeRecordItems(numbers, got, image);
  Balances[0] = image.balances[0];
  Balances[1] = image.balances[1];
  std::memcpy(Meters, image.meters, sizeof Meters);
  Cashpot = image.cashpot;
}

void SaveRecord() {
  // The folder is made whenever it is missing: a record that has nowhere to go is lost.
  Sys().CreateFolder("data");

  std::string dateWord;
  if (FILE* f = Sys().OpenFile(kRecordPath, "rb")) {
    uint8_t tail[8];
    size_t got = 0;
    if (std::fseek(f, -8, SEEK_END) == 0) got = std::fread(tail, 1, sizeof tail, f);
    std::fclose(f);
    dateWord = DecodeRecordDateWord(tail, got);
  }
  // A trailer that lost its date, or none at all, takes today's.
  if (!IsRecordDateWord(dateWord)) dateWord = TodayDateWord();

  RecordImage image = ImageOfAccounting();
  image.dateWord = dateWord;
  std::string bytes = EncodeRecord(image);
  Sys().MakeWritable(kRecordPath);
  std::string error;
  if (!Sys().WriteFileAtomically(kRecordPath, bytes.data(), bytes.size(), &error))
    LogMessage("RECORD NOT SAVED - %s\n", error.c_str());
}

namespace {

// A small text file's contents, at most `limit` bytes; empty when it cannot be read.
std::string ReadSmallFile(const char* path, size_t limit) {
  std::string text;
  FILE* f = Sys().OpenFile(path, "rb");
  if (!f) return text;
  std::vector<char> buffer(limit);
  size_t got = std::fread(buffer.data(), 1, limit, f);
  std::fclose(f);
  return std::string(buffer.data(), got);
}

}  // namespace

bool ParseGameMarker(const std::string& text, int32_t& game, int32_t& stakePence,
                     std::string& started) {
  int g = 0, s = 0, used = 0;
  if (std::sscanf(text.c_str(), "game %d stake %d%n", &g, &s, &used) != 2 || g < 0 || s < 0)
    return false;
  std::string rest = text.substr(static_cast<size_t>(used));
  while (!rest.empty() && (rest.back() == '\n' || rest.back() == '\r')) rest.pop_back();
  const std::string kStarted = " started ";
  if (!rest.empty() && rest.rfind(kStarted, 0) != 0) return false;
  started = rest.empty() ? "" : rest.substr(kStarted.size());
  for (char c : started)
    if (c < ' ' || c > '~') return false;
  game = g;
  stakePence = s;
  return true;
}

namespace {

std::string Stamp() {
  platform::LocalTime t = Sys().GetLocalTime();
  char text[32];
  std::snprintf(text, sizeof text, "%02d/%02d/%04d %02d:%02d:%02d", t.day % 100, t.month % 100,
                t.year % 10000, t.hour % 100, t.minute % 100, t.second % 100);
  return text;
}

}  // namespace

void MarkGameInPlay(int32_t game, int32_t stakePence) {
  Sys().CreateFolder("data");
  std::string text = "game " + std::to_string(game) + " stake " + std::to_string(stakePence) +
                     " started " + Stamp() + "\n";
  std::string error;
  if (!Sys().WriteFileAtomically(kGameMarkerPath, text.data(), text.size(), &error))
    LogMessage("GAME MARKER NOT SAVED - %s\n", error.c_str());
}

void ClearGameInPlay() {
  Sys().RemoveFile(kGameMarkerPath);
}

bool ReportInterruptedGame() {
  if (Sys().FileSize(kGameMarkerPath) < 0) return false;
  std::string marker = ReadSmallFile(kGameMarkerPath, 128);
  int32_t game = 0, stake = 0;
  std::string started, entry;
  if (ParseGameMarker(marker, game, stake, started)) {
    LogMessage("GAME INTERRUPTED - game %d - stake %d pence - settle by hand\n", game, stake);
    entry = "game " + std::to_string(game) + " stake " + std::to_string(stake) + " pence";
    if (!started.empty()) entry += " started " + started;
  } else {
    LogMessage("GAME INTERRUPTED - game unknown - stake unknown - settle by hand\n");
    entry = "game unknown stake unknown";
  }
  // The list keeps every interrupted game once, with the time it was found.
  std::string list = ReadSmallFile(kInterruptedListPath, 1 << 20);
  if (list.find(entry + " - found ") == std::string::npos || started.empty()) {
    list += entry + " - found " + Stamp() + "\n";
    std::string error;
    if (!Sys().WriteFileAtomically(kInterruptedListPath, list.data(), list.size(), &error)) {
      LogMessage("INTERRUPTED GAME NOT LISTED - %s\n", error.c_str());
      return true;  // the marker stays, to be found again
    }
  }
  ClearGameInPlay();
  return true;
}
