// meters: shows an operator the statistics record of a cabinet.
//
//   meters [FILE] [--json | --prometheus OUT]
//   meters [FILE] --games [N] [--json]
//
// --games recalls the newest N games of the game journal (10 unless given), newest first:
// each with its start and end, credits and bank before and after, its money with the
// server's replies, and every step in the order played.
//
// Beside the record it reads the game journal (data/Zemblar.journal) for the open games,
// those that leave money to settle with moneyctl reconcile.
//
// --prometheus writes the meters, balances, cashpot and open games to OUT in the
// Prometheus text format, atomically (a temporary file beside it, flushed and renamed),
// for the node exporter's textfile collector.
//
// FILE defaults to data/Zemblar.rec in the game folder: the one the installed settings
// file names, or this program's own.
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "accounting/accounting.h"
#include "accounting/journal_store.h"
#include "accounting/record_file.h"
#include "cli/cli.h"
#include "cli/json_text.h"
#include "cli/settings.h"
#include "platform/atomic_file.h"
#include "recall.h"

namespace {

std::string DefaultRecordPath() {
  // An installed cabinet names its game folder in its settings file.
  if (std::string game = cli::InstalledSetting("game_dir"); !game.empty())
    return game + "/data/Zemblar.rec";
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

// The record's date word is month first (MM/DD/YY); every other date the operator reads
// is day first with the whole year, as the event log's.
std::string DayFirst(const std::string& word) {
  return word.substr(3, 2) + "/" + word.substr(0, 2) + "/20" + word.substr(6, 2);
}

// A payout balance, kept in pence as a float, in pounds with its pence beside as the
// cashpot is shown: "-3.00 (-300 pence)"; a part of a penny shows in the pence.
std::string BalanceMoney(float pence) {
  const double p = pence;
  char pounds[64], whole[64];
  std::snprintf(pounds, sizeof pounds, "%.2f", p / 100.0);
  std::snprintf(whole, sizeof whole, p == std::floor(p) ? "%.0f" : "%.2f", p);
  return std::string(pounds) + " (" + whole + " pence)";
}

std::string Pounds(long long pence) {
  char text[64];
  std::snprintf(text, sizeof text, "%s%lld.%02lld", pence < 0 ? "-" : "", llabs(pence) / 100,
                llabs(pence) % 100);
  return text;
}

// At most 1 MiB of a small text file; empty when there is none.
std::string ReadSmall(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string text(1 << 20, '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  text.resize(static_cast<size_t>(in.gcount()));
  return text;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line))
    if (!line.empty()) lines.push_back(line);
  return lines;
}

// The whole text to `path`, replacing it at once; false, having said why, when it cannot.
bool WriteAtomically(const std::string& path, const std::string& text) {
  platform::AtomicWriteOptions options;
  options.tempSuffix = ".tmp";
  std::string why;
  if (platform::WriteFileAtomically(path, text.data(), text.size(), &why, options)) return true;
  std::fprintf(stderr, "meters: %s\n", why.c_str());
  return false;
}

// The open games of the journal at `path`; the reason when it cannot be read ("" when read,
// and also when there is no journal yet: a cabinet that never played has no open game).
std::string ReadOpenGames(const std::string& path, std::vector<journal::Game>& open) {
  if (::access(path.c_str(), F_OK) != 0) return "";
  journal::Store store;
  std::string error;
  if (journal::OpenStore(path, journal::OpenFor::kReading, store, error))
    journal::ReadOpenGames(store, open, error);
  journal::CloseStore(store);
  return error;
}

constexpr const char* kUsage =
    "usage: meters [FILE] [--json | --prometheus OUT]\n"
    "       meters [FILE] --games [N] [--json]\n"
    "The statistics record FILE (data/Zemblar.rec beside this program unless given) with the\n"
    "open games of the game journal beside it; --json for a script; --prometheus writes the\n"
    "meters to OUT for the node exporter's textfile collector; --games recalls the newest N\n"
    "games of the game journal (10 unless given), newest first, with their money and steps.\n"
    "exit: 0 shown, 1 the file cannot be read or is not a record, 64 bad usage\n";

// A record is its numbers and a short text trailer; anything longer, or with other bytes
// after the numbers, is some other file. The reason, or "" for a record.
std::string NotARecord(const std::string& bytes) {
  if (bytes.size() <= kRecordNumbersSize) return "";
  const size_t trailer = bytes.size() - kRecordNumbersSize;
  if (trailer > 256) return "longer than a record can be";
  for (size_t i = kRecordNumbersSize; i < bytes.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    if (c < 0x20 || c > 0x7e) return "its trailer after the numbers is not text";
  }
  return "";
}

struct Options {
  std::string path, prometheus;
  bool json = false;
  int64_t games = 0;  // recall this many games; 0 shows the record
};

// The command line into `o`; -1 when it is good, else the exit status after the usage error.
int ParseOptions(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--json") {
      o.json = true;
    } else if (arg == "--games") {
      if (o.games != 0) return cli::UsageError("meters", "--games given twice");
      o.games = 10;
      char* end = nullptr;
      if (i + 1 < argc && argv[i + 1][0] >= '0' && argv[i + 1][0] <= '9') {
        const long long n = std::strtoll(argv[++i], &end, 10);
        if (*end != '\0' || n < 1 || n > journal::kGamesKept)
          return cli::UsageError("meters",
                                 "--games takes 1.." + std::to_string(journal::kGamesKept));
        o.games = n;
      }
    } else if (arg == "--prometheus") {
      if (i + 1 >= argc || argv[i + 1][0] == '\0')
        return cli::UsageError("meters", "--prometheus needs the file to write");
      if (!o.prometheus.empty()) return cli::UsageError("meters", "--prometheus given twice");
      o.prometheus = argv[++i];
    } else if (!arg.empty() && arg[0] == '-') {
      return cli::UsageError("meters", "unknown option " + arg);
    } else if (!o.path.empty()) {
      return cli::UsageError("meters",
                             "one record at a time: \"" + arg + "\" after \"" + o.path + "\"");
    } else {
      o.path = arg;
    }
  }
  if (o.json && !o.prometheus.empty())
    return cli::UsageError("meters", "--json and --prometheus cannot be used together");
  if (o.path.empty()) o.path = DefaultRecordPath();
  if (o.games > 0 && !o.prometheus.empty())
    return cli::UsageError("meters", "--games does not go with --prometheus");
  return -1;
}

std::string FolderOf(const std::string& path) {
  return path.find('/') == std::string::npos ? "." : path.substr(0, path.rfind('/'));
}

// Everything shown of a record: the record itself and what lies beside it.
struct Shown {
  std::string path;
  size_t size = 0;
  RecordImage record;
  int items = 0;
  int held = 0;           // the values the game takes from the file
  bool replaced = false;  // the game starts again from its defaults
  std::string date;       // the record's month-first date, "" when it has none
  std::vector<std::string> interrupted;
  std::vector<journal::Game> open;
  std::string journalError;

  bool Held(int item) const { return item < held; }
};

bool IsNumber(float v) {
  return std::isfinite(v);
}

// Reads the record at `path` and what lies beside it; false, having said why, when it cannot.
bool ReadShown(const std::string& path, Shown& shown) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "meters: cannot read %s: %s\n", path.c_str(), std::strerror(errno));
    return false;
  }
  // Never more than a record can be, and a little over to know the file is longer.
  std::string bytes(kRecordNumbersSize + 257, '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  bytes.resize(static_cast<size_t>(in.gcount()));
  if (std::string why = NotARecord(bytes); !why.empty()) {
    std::fprintf(stderr, "meters: %s is not a statistics record: %s\n", path.c_str(), why.c_str());
    return false;
  }
  const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
  shown.path = path;
  shown.size = bytes.size();
  // Beside the record: the game journal, whose open games leave money to settle (one of
  // them may be the game in play), and the list of interrupted games an older version kept.
  const std::string folder = FolderOf(path);
  shown.interrupted = Lines(ReadSmall(folder + "/Interrupted.txt"));
  shown.journalError = ReadOpenGames(folder + "/Zemblar.journal", shown.open);
  shown.items = DecodeRecordItems(data, bytes.size(), shown.record);
  shown.date = DecodeRecordDateWord(data, bytes.size());
  if (!IsRecordDateWord(shown.date)) shown.date.clear();
  // A record of 10 bytes or less is no record: the game starts again from its defaults
  // and removes the file. Shorter records hold only their first values.
  shown.replaced = bytes.size() <= 10;
  shown.held = shown.replaced ? 0 : shown.items;
  return true;
}

std::string PrometheusText(const Shown& s) {
  std::string text;
  auto metric = [&text](const char* name, const char* help) {
    text += std::string("# HELP ") + name + " " + help + "\n# TYPE " + name + " gauge\n";
  };
  auto value = [](double v) {
    char out[64];
    std::snprintf(out, sizeof out, "%.17g", v);
    return std::string(out);
  };
  const RecordImage& record = s.record;
  metric("strikora_record_values", "Values the statistics record holds (42 when whole).");
  text += "strikora_record_values " + std::to_string(s.held) + "\n";
  metric("strikora_balance", "Payout balances of the record, in pence.");
  for (int i = 0; i < 2; ++i)
    if (s.Held(i) && IsNumber(record.balances[i]))
      text += std::string("strikora_balance{balance=\"") + (i == 0 ? "main" : "cashpot_fund") +
              "\"} " + value(record.balances[i]) + "\n";
  if (s.Held(0) && IsNumber(record.balances[0])) {
    metric("strikora_balance_level", "Level 1..7 of the main balance.");
    text +=
        "strikora_balance_level " + std::to_string(LevelOfBalance(record.balances[0]) + 1) + "\n";
  }
  if (s.Held(kRecordItems - 1)) {
    metric("strikora_cashpot_pence", "The cashpot to be won, in pence.");
    text += "strikora_cashpot_pence " + std::to_string(record.cashpot) + "\n";
  }
  metric("strikora_meter", "The statistics meters of the record.");
  for (int i = 0; i < kMeterCount; ++i)
    if (s.Held(2 + i))
      text += "strikora_meter{index=\"" + std::to_string(i) +
              "\",meaning=" + JsonString(MeterMeaning(i)) + "} " +
              std::to_string(record.meters[i]) + "\n";
  metric("strikora_interrupted_games", "Games an older version listed as never settled.");
  text += "strikora_interrupted_games " + std::to_string(s.interrupted.size()) + "\n";
  if (s.journalError.empty()) {
    metric("strikora_open_games",
           "Games of the game journal that leave money to settle (moneyctl reconcile), the "
           "game in play among them.");
    text += "strikora_open_games " + std::to_string(s.open.size()) + "\n";
  }
  return text;
}

void PrintJson(const Shown& s) {
  const RecordImage& record = s.record;
  // Balances are pence held as floats: written to the hundredth of a penny, as the table shows.
  auto balance = [&](int i, bool withLevel) {
    const float v = record.balances[i];
    const bool ok = s.Held(i) && IsNumber(v);
    Json out = {{"value", ok ? Json(std::round(double{v} * 100) / 100) : Json(nullptr)}};
    if (withLevel) out["level"] = ok ? Json(LevelOfBalance(v) + 1) : Json(nullptr);
    return out;
  };
  auto heldOrNull = [&](int item, int64_t value) { return s.Held(item) ? Json(value) : Json(); };
  Json doc = {{"file", s.path},
              {"size", s.size},
              {"items", s.held},
              {"replacedByDefaults", s.replaced},
              {"balances", {balance(0, true), balance(1, false)}}};
  if (s.journalError.empty()) {
    doc["openGames"] = Json::array();
    for (const journal::Game& g : s.open)
      doc["openGames"].push_back({{"game", g.game},
                                  {"started", journal::UtcText(g.startedMs)},
                                  {"outcome", g.endedMs ? g.outcome : "in play or interrupted"},
                                  {"steps", journal::DescribeSteps(g)}});
  } else {
    doc["openGames"] = nullptr;
    doc["journalError"] = s.journalError;
  }
  doc["interruptedGames"] = s.interrupted.size();
  doc["interrupted"] = s.interrupted;
  doc["cashpot"] = heldOrNull(kRecordItems - 1, record.cashpot);
  // The record's own month-first text, and the same date day first.
  doc["firstWritten"] = s.date.empty() ? Json() : Json(s.date);
  doc["firstWrittenDayFirst"] = s.date.empty() ? Json() : Json(DayFirst(s.date));
  doc["meters"] = Json::array();
  for (int i = 0; i < kMeterCount; ++i)
    doc["meters"].push_back({{"index", i},
                             {"meaning", MeterMeaning(i)},
                             {"value", heldOrNull(2 + i, record.meters[i])}});
  std::printf("%s\n", JsonText(doc, 1).c_str());
}

std::string BalanceText(const Shown& s, int i) {
  if (!s.Held(i)) return "(not in the file)";
  float v = s.record.balances[i];
  if (!IsNumber(v)) return "(not a number)";
  if (i != 0) return BalanceMoney(v);
  return BalanceMoney(v) + ", level " + std::to_string(LevelOfBalance(v) + 1) +
         " of 1..7 (higher plays more generously)";
}

void PrintOpenGames(const Shown& s) {
  if (!s.journalError.empty()) {
    std::printf("Open games     (no game journal: %s)\n", s.journalError.c_str());
  } else {
    std::printf("Open games     %zu%s\n", s.open.size(),
                s.open.empty() ? ""
                               : " (money to settle: moneyctl reconcile; a game in play is "
                                 "open until it ends)");
  }
  for (const journal::Game& g : s.open)
    std::printf("               game %lld, started %s UTC: %s\n", static_cast<long long>(g.game),
                journal::UtcText(g.startedMs).c_str(), journal::DescribeSteps(g).c_str());
  if (!s.interrupted.empty()) {
    std::printf("Interrupted    %zu game%s an older version listed, to settle by hand\n",
                s.interrupted.size(), s.interrupted.size() == 1 ? "" : "s");
    for (const std::string& line : s.interrupted) std::printf("               %s\n", line.c_str());
  }
}

void PrintText(const Shown& s) {
  const RecordImage& record = s.record;
  std::printf("Record %s (%zu bytes%s)\n", s.path.c_str(), s.size,
              s.replaced ? ", NOT A RECORD: the game starts again from its defaults "
                           "(balances 0, meters 0, cashpot 1.00) and removes it"
              : s.items < kRecordItems
                  ? ", SHORT: the values marked \"not in the file\" are missing"
                  : "");
  std::printf("First written  %s\n",
              s.date.empty()
                  ? "(no date)"
                  : (DayFirst(s.date) + " (the record holds " + s.date + ", month first)").c_str());
  std::printf("Main balance   %s\n", BalanceText(s, 0).c_str());
  std::printf("Cashpot fund   %s\n", BalanceText(s, 1).c_str());
  if (s.Held(kRecordItems - 1))
    std::printf("Cashpot        %s (%d pence)\n\n", Pounds(record.cashpot).c_str(), record.cashpot);
  else
    std::printf("Cashpot        (not in the file)\n\n");
  PrintOpenGames(s);
  std::printf("\n");
  std::printf("  #  %-42s %12s\n", "meter", "value");
  for (int i = 0; i < kMeterCount; ++i)
    std::printf(" %2d  %-42s %12s\n", i, MeterMeaning(i),
                s.Held(2 + i) ? std::to_string(record.meters[i]).c_str() : "not in the file");
}

}  // namespace

int main(int argc, char** argv) try {
  int status = 0;
  if (cli::HelpOrVersion(argc, argv, "meters", kUsage, status)) return status;
  Options o;
  if (int usage = ParseOptions(argc, argv, o); usage >= 0) return usage;
  if (o.games > 0) return ShowGames(FolderOf(o.path) + "/Zemblar.journal", o.games, o.json);
  Shown shown;
  if (!ReadShown(o.path, shown)) return 1;
  if (!o.prometheus.empty()) return WriteAtomically(o.prometheus, PrometheusText(shown)) ? 0 : 1;
  if (o.json)
    PrintJson(shown);
  else
    PrintText(shown);
  return 0;
} catch (const std::exception& e) {  // out of memory building the JSON, say
  std::fprintf(stderr, "meters: %s\n", e.what());
  return 1;
}
