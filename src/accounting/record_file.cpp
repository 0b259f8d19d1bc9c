#include "accounting/record_file.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "accounting/game_journal.h"
#include "platform/little_endian.h"
#include "shell/eventlog.h"
#include "shell/system.h"

namespace {

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
  AppendLe32(out, BitsOf(image.balances[0]));
  AppendLe32(out, BitsOf(image.balances[1]));
  for (int32_t m : image.meters) AppendLe32(out, static_cast<uint32_t>(m));
  AppendLe32(out, static_cast<uint32_t>(image.cashpot));
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

std::string RecordBytes() {
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
  return EncodeRecord(image);
}

bool WriteRecordBytes(const std::string& bytes) {
  // The folder is made whenever it is missing: a record that has nowhere to go is lost.
  Sys().CreateFolder("data");
  Sys().MakeWritable(kRecordPath);
  std::string error;
  if (!Sys().WriteFileAtomically(kRecordPath, bytes.data(), bytes.size(), &error)) {
    LogMessage("RECORD NOT SAVED - %s\n", error.c_str());
    return false;
  }
  RecordWritten();
  return true;
}

void SaveRecord() {
  std::string bytes = RecordBytes();
  JournalPendingRecord(bytes);
  WriteRecordBytes(bytes);
}

void SaveRecordAtGameEnd(const char* outcome, int32_t win) {
  std::string bytes = RecordBytes();
  JournalGameEnd(outcome, win, &bytes);
  WriteRecordBytes(bytes);
}

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
