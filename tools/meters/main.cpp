// meters: shows an operator the statistics record of a cabinet.
//
//   meters [FILE] [--json]
//
// FILE defaults to data/Zemblar.rec beside this program (the game folder's record).
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "accounting/accounting.h"
#include "accounting/record_file.h"

namespace {

std::string DefaultRecordPath() {
  char self[4096];
  ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
  std::string dir = ".";
  if (n > 0) {
    self[n] = '\0';
    dir = self;
    dir = dir.substr(0, dir.find_last_of('/'));
  }
  return dir + "/data/Zemblar.rec";
}

std::string Pounds(long long pence) {
  char text[64];
  std::snprintf(text, sizeof text, "%s%lld.%02lld", pence < 0 ? "-" : "", llabs(pence) / 100,
                llabs(pence) % 100);
  return text;
}

std::string JsonString(const std::string& s) {
  std::string out = "\"";
  for (char c : s) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

}  // namespace

int main(int argc, char** argv) {
  std::string path;
  bool json = false;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--json") {
      json = true;
    } else if (arg == "-h" || arg == "--help" || (!arg.empty() && arg[0] == '-') || !path.empty()) {
      std::fputs("usage: meters [FILE] [--json]\n", stderr);
      return 64;
    } else {
      path = arg;
    }
  }
  if (path.empty()) path = DefaultRecordPath();

  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "meters: cannot read %s: %s\n", path.c_str(), std::strerror(errno));
    return 1;
  }
  std::stringstream buffer;
  buffer << in.rdbuf();
  std::string bytes = buffer.str();
  const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
  RecordImage record;
  int items = DecodeRecordItems(data, bytes.size(), record);
  std::string date = DecodeRecordDateWord(data, bytes.size());
  if (!IsRecordDateWord(date)) date.clear();

  if (json) {
    std::printf("{\"file\": %s, \"size\": %zu, \"items\": %d,\n", JsonString(path).c_str(),
                bytes.size(), items);
    std::printf(" \"balances\": [{\"value\": %.2f, \"level\": %d}, {\"value\": %.2f}],\n",
                record.balances[0], LevelOfBalance(record.balances[0]), record.balances[1]);
    std::printf(" \"cashpot\": %d, \"firstWritten\": %s,\n \"meters\": [\n", record.cashpot,
                date.empty() ? "null" : JsonString(date).c_str());
    for (int i = 0; i < kMeterCount; ++i)
      std::printf("  {\"index\": %d, \"meaning\": %s, \"value\": %d}%s\n", i,
                  JsonString(MeterMeaning(i)).c_str(), record.meters[i],
                  i + 1 < kMeterCount ? "," : "");
    std::printf(" ]}\n");
    return 0;
  }

  std::printf("Record %s (%zu bytes%s)\n", path.c_str(), bytes.size(),
              items < kRecordItems ? ", SHORT: some values missing" : "");
  std::printf("First written  %s\n", date.empty() ? "(no date)" : date.c_str());
  std::printf("Main balance   %.2f (level %d of 0..6; higher plays more generously)\n",
              record.balances[0], LevelOfBalance(record.balances[0]));
  std::printf("Cashpot fund   %.2f\n", record.balances[1]);
  std::printf("Cashpot        %s (%d pence)\n\n", Pounds(record.cashpot).c_str(), record.cashpot);
  std::printf("  #  %-42s %12s\n", "meter", "value");
  for (int i = 0; i < kMeterCount; ++i) {
    bool present = 2 + i < items;
    std::printf(" %2d  %-42s %12s\n", i, MeterMeaning(i),
                present ? std::to_string(record.meters[i]).c_str() : "-");
  }
  return 0;
}
