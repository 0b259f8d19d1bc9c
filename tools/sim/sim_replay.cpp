#include "sim_replay.h"

#include <cairo.h>
#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>

#include "accounting/accounting.h"
#include "accounting/game_journal.h"
#include "accounting/game_steps.h"
#include "frontend/buttons.h"
#include "game/board.h"
#include "game/game_record.h"
#include "shell/entry.h"
#include "shell/timing.h"
#include "sim_run.h"

namespace sim {
namespace {

namespace fs = std::filesystem;

// Thrown out of the game when the replay is over: every step matched, or one differed.
struct ReplayStop {};

const char* const kWaitNames[] = {"pick", "board", "answer", "touch"};

steps::Fields Fields(const journal::StepRow& row) {
  steps::Fields f;
  std::string ignored;
  steps::Decode(row.data, f, ignored);
  return f;
}

float FloatOfBits(int64_t bits) {
  const auto b = static_cast<uint32_t>(bits);
  float f = 0;
  std::memcpy(&f, &b, sizeof f);
  return f;
}

// What differs between the step recorded and the step replayed, "" when nothing does.
std::string Compare(const journal::StepRow& want, const journal::StepRow& got, bool looseTime) {
  const std::string words =
      "; recorded: " + steps::Describe(want) + "; replayed: " + steps::Describe(got);
  if (want.kind != got.kind)
    return "the record has a " + want.kind + " step, the replay a " + got.kind + words;
  const steps::Fields a = Fields(want), b = Fields(got);
  auto timed = [looseTime](const std::string& key) {
    return looseTime && (key == "ms" || key == "left");
  };
  for (const auto& [key, value] : a) {
    if (timed(key)) continue;
    const std::string other = steps::Get(b, key);
    if (other == value) continue;
    // The same pack and line giving another statement: the packs are not the game's.
    const std::string packs =
        key == "text" ? " (the question packs here are not the ones the game was played with)" : "";
    return key + " is " + other + " where the record has " + value + packs + words;
  }
  for (const auto& [key, value] : b)
    if (!timed(key) && steps::Get(a, key).empty() && !value.empty())
      return key + " is " + value + ", not in the record" + words;
  if (!looseTime && want.atMs != got.atMs)
    return "at " + std::to_string(got.atMs) + " ms where the record has " +
           std::to_string(want.atMs) + " ms" + words;
  return "";
}

// The money server as the record tells it: credits and bank from the game's start, and each
// money request answered with its recorded reply (a request the record does not have stops
// the replay). Nothing goes over a network.
class ReplayPlatform : public platform::HeadlessPlatform {
 public:
  ReplayPlatform(Options options, const journal::Game& game, std::string& difference)
      : HeadlessPlatform(options), game_(game), difference_(difference) {}

  void SetTotals(int64_t credits, int64_t bank) {
    credits_ = credits;
    bank_ = bank;
  }

  int SocketCreate() override { return 1000; }
  bool SocketConnect(int, const std::string&, uint16_t) override { return true; }
  uint16_t SocketLocalPort(int) override { return 0; }
  void SocketClose(int) override {}
  long SocketSend(int, const void* data, size_t size) override {
    request_.append(static_cast<const char*>(data), size);
    size_t end;
    while ((end = request_.find('\n')) != std::string::npos) {
      std::string line = request_.substr(0, end);
      request_.erase(0, end + 1);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      Answer(line);
    }
    return static_cast<long>(size);
  }
  long SocketReceive(int, void* data, size_t size) override {
    if (reply_.empty()) return 0;  // no reply: the link is gone
    const size_t n = std::min(size, reply_.size());
    std::memcpy(data, reply_.data(), n);
    reply_.erase(0, n);
    return static_cast<long>(n);
  }

 private:
  void Answer(const std::string& line) {
    if (line == "CGET") reply_ += "CTEL," + std::to_string(credits_) + "\r\n";
    if (line == "BGET") reply_ += "BTEL," + std::to_string(bank_) + "\r\n";
    const size_t comma = line.find(',');
    if (comma == std::string::npos) return;
    const std::string verb = line.substr(0, comma);
    const int64_t amount = std::atoll(line.c_str() + comma + 1);
    if (next_ >= game_.steps.size()) {
      Stop("the replay asks the money server " + line + ", the record has no more money steps");
      return;
    }
    const journal::MoneyStep& m = game_.steps[next_++];
    const std::string want =
        std::string(journal::StepVerb(m.kind)) + "," + std::to_string(m.amount);
    if (line != want) {
      Stop("the replay asks the money server " + line + " where the record has " + want);
      return;
    }
    if (m.result == journal::StepResult::kRefused) {
      reply_ += "FAIL\r\n";
      return;
    }
    if (m.result != journal::StepResult::kDone) return;  // no reply came
    if (verb == "CUSE") {
      const int64_t fromCredits = std::clamp<int64_t>(credits_, 0, amount);
      credits_ -= fromCredits;
      bank_ -= amount - fromCredits;
    } else if (verb == "BADD") {
      bank_ += amount;
    } else {
      credits_ += amount;
    }
    const std::string reply =
        verb == "BADD" ? "BTEL," + std::to_string(bank_) : "CTEL," + std::to_string(credits_);
    if (reply != m.reply) {
      Stop("the money server's reply to " + line + " would be " + reply + " where the record has " +
           m.reply);
      return;
    }
    reply_ += reply + "\r\n";
  }

  void Stop(const std::string& why) {
    difference_ = "money step " + std::to_string(next_) + ": " + why;
    throw ReplayStop{};
  }

  const journal::Game& game_;
  std::string& difference_;
  std::string request_, reply_;
  size_t next_ = 0;
  int64_t credits_ = 0, bank_ = 0;
};

// The cabinet's content, seen through links from a folder of the replay's own: the
// program's writes (data, logs) go there.
bool MakeFolder(const std::string& gameDir, std::string& folder, std::string& error) {
  std::error_code ec;
  if (!fs::is_directory(gameDir, ec)) {
    error = gameDir + ": not a folder";
    return false;
  }
  std::string pattern = (fs::temp_directory_path(ec) / "strikora-replay-XXXXXX").string();
  if (!mkdtemp(pattern.data())) {
    error = "cannot make a folder for the replay";
    return false;
  }
  folder = pattern;
  for (const fs::directory_entry& e : fs::directory_iterator(gameDir, ec)) {
    const std::string name = e.path().filename().string();
    if (name == "data" || name == "~system" || name.rfind("money.db", 0) == 0) continue;
    fs::create_symlink(fs::absolute(e.path()), fs::path(folder) / name, ec);
    if (ec) {
      error = "cannot link " + name + ": " + ec.message();
      return false;
    }
  }
  return true;
}

// Words broken into lines no wider than `width` at the given size.
std::vector<std::string> Wrap(cairo_t* c, const std::string& text, double width) {
  std::vector<std::string> lines;
  std::string line, word;
  auto fits = [c, width](const std::string& s) {
    cairo_text_extents_t e;
    cairo_text_extents(c, s.c_str(), &e);
    return e.x_advance <= width;
  };
  size_t i = 0;
  while (i <= text.size()) {
    const size_t end = std::min(text.find(' ', i), text.size());
    word = text.substr(i, end - i);
    const std::string tried = line.empty() ? word : line + " " + word;
    if (!line.empty() && !fits(tried)) {
      lines.push_back(line);
      line = word;
    } else {
      line = tried;
    }
    i = end + 1;
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

struct Picture {
  std::vector<uint16_t> pixels;
  std::string words;
};

// One sheet: a quarter-size picture of each step with its words under it, four a row.
bool WriteSheet(const std::string& path, const std::string& title,
                const std::vector<Picture>& pictures, std::string& error) {
  constexpr int kColumns = 4, kW = 200, kH = 150, kText = 64, kPad = 8, kTitle = 30;
  const int rows = (static_cast<int>(pictures.size()) + kColumns - 1) / kColumns;
  const int width = kPad + kColumns * (kW + kPad);
  const int height = kTitle + kPad + rows * (kH + kText + kPad);
  cairo_surface_t* sheet = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
  cairo_t* c = cairo_create(sheet);
  cairo_set_source_rgb(c, 1, 1, 1);
  cairo_paint(c);
  cairo_select_font_face(c, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
  cairo_set_font_size(c, 14);
  cairo_set_source_rgb(c, 0, 0, 0);
  cairo_move_to(c, kPad, 20);
  cairo_show_text(c, title.c_str());
  cairo_select_font_face(c, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
  for (size_t i = 0; i < pictures.size(); ++i) {
    const int x = kPad + static_cast<int>(i % kColumns) * (kW + kPad);
    const int y = kTitle + kPad + static_cast<int>(i / kColumns) * (kH + kText + kPad);
    cairo_surface_t* shot = cairo_image_surface_create(CAIRO_FORMAT_RGB24, platform::kScreenWidth,
                                                       platform::kScreenHeight);
    cairo_surface_flush(shot);
    unsigned char* data = cairo_image_surface_get_data(shot);
    const int stride = cairo_image_surface_get_stride(shot);
    for (int py = 0; py < platform::kScreenHeight; ++py)
      for (int px = 0; px < platform::kScreenWidth; ++px) {
        uint8_t rgb[3] = {0, 0, 0};
        const size_t at = static_cast<size_t>(py) * platform::kScreenWidth + px;
        if (at < pictures[i].pixels.size()) platform::WidenRgb565(pictures[i].pixels[at], rgb);
        uint32_t* out = reinterpret_cast<uint32_t*>(data + py * stride) + px;
        *out = (static_cast<uint32_t>(rgb[0]) << 16) | (rgb[1] << 8) | rgb[2];
      }
    cairo_surface_mark_dirty(shot);
    cairo_save(c);
    cairo_translate(c, x, y);
    cairo_scale(c, 0.25, 0.25);
    cairo_set_source_surface(c, shot, 0, 0);
    cairo_paint(c);
    cairo_restore(c);
    cairo_surface_destroy(shot);
    cairo_set_font_size(c, 9);
    cairo_set_source_rgb(c, 0, 0, 0);
    std::vector<std::string> lines = Wrap(c, pictures[i].words, kW);
    if (lines.size() > 6) {
      lines.resize(6);
      lines.back() += " ...";
    }
    for (size_t k = 0; k < lines.size(); ++k) {
      cairo_move_to(c, x, y + kH + 11 + 10 * static_cast<int>(k));
      cairo_show_text(c, lines[k].c_str());
    }
  }
  cairo_surface_flush(sheet);
  const cairo_status_t s = cairo_surface_write_to_png(sheet, path.c_str());
  cairo_destroy(c);
  cairo_surface_destroy(sheet);
  if (s == CAIRO_STATUS_SUCCESS) return true;
  error = "cannot write " + path + ": " + cairo_status_to_string(s);
  return false;
}

}  // namespace

bool LoadRecordedGame(const std::string& journalPath, int64_t game, journal::Game& found,
                      std::vector<journal::StepRow>& rows, std::string& error) {
  journal::Store store;
  if (!journal::OpenStore(journalPath, journal::OpenFor::kReading, store, error)) return false;
  std::optional<journal::Game> g;
  bool ok = journal::ReadGame(store, game, g, error) &&
            (g || (error = "no game " + std::to_string(game) + " in " + journalPath, false)) &&
            journal::ReadSteps(store, game, rows, error);
  journal::CloseStore(store);
  if (!ok) return false;
  if (rows.empty() || rows.front().kind != "start") {
    error = "game " + std::to_string(game) + " has no steps recorded";
    return false;
  }
  found = *g;
  return true;
}

ReplayResult ReplayRecorded(const journal::Game& game, const std::vector<journal::StepRow>& rows,
                            const ReplayOptions& options) {
  ReplayResult result;
  result.recorded = rows.size();
  if (rows.empty() || rows.front().kind != "start") {
    result.error = "the game has no start step";
    return result;
  }
  std::string folder;
  if (!MakeFolder(options.gameDir, folder, result.error)) {
    if (!folder.empty()) fs::remove_all(folder);
    return result;
  }
  const bool shooting = !options.shotsDir.empty();
  std::error_code ec;
  if (shooting) fs::create_directories(options.shotsDir, ec);

  platform::HeadlessPlatform::Options po;
  po.startMs = 100000;
  po.stepMs = options.menuClockStepMs;
  po.skipIdle = true;
  po.limitMs = 6u * 60 * 60 * 1000;
  po.blind = options.blind && !shooting;
  ReplayPlatform system(po, game, result.difference);
  system.SetGameDir(folder);
  system.SetFlushFiles(false);
  system.KeepScreen(shooting || options.onStep != nullptr);

  const steps::Fields start = Fields(rows.front());
  system.SetTotals(steps::GetInt(start, "credits"), steps::GetInt(start, "bank"));
  size_t next = 0;
  bool started = false;
  std::vector<Picture> pictures;

  SetGameStartHook([&] {
    started = true;
    SeedRandom(static_cast<uint32_t>(steps::GetInt(start, "rng")));
    Balances[0] = FloatOfBits(steps::GetInt(start, "b0"));
    Balances[1] = FloatOfBits(steps::GetInt(start, "b1"));
    Cashpot = static_cast<int32_t>(steps::GetInt(start, "cashpot"));
    Meters[0] = static_cast<int32_t>(steps::GetInt(start, "played"));
    bonusBudget = static_cast<int32_t>(steps::GetInt(start, "bonus"));
    system.SetStep(options.gameClockStepMs);
  });
  SetTouchSource([&](WaitOn on, uint32_t ms) {
    if (next >= rows.size() || rows[next].kind != "wait") return;
    const steps::Fields f = Fields(rows[next]);
    if (steps::Get(f, "on") != kWaitNames[static_cast<int>(on)]) return;
    if (steps::GetInt(f, "x", -1) < 0 || ms < steps::GetInt(f, "ms")) return;
    TouchX = static_cast<int16_t>(steps::GetInt(f, "x"));
    TouchY = static_cast<int16_t>(steps::GetInt(f, "y"));
  });
  SetStepObserver([&](const journal::StepRow& got) {
    const journal::StepRow& want = rows[next];
    const std::string why = Compare(want, got, options.looseTime);
    if (!why.empty()) {
      result.difference = "step " + std::to_string(want.seq) + " (" + want.kind + "): " + why;
      throw ReplayStop{};
    }
    const std::string words = std::to_string(want.seq) + ". " + steps::Describe(want);
    if (shooting) {
      char name[64];
      std::snprintf(name, sizeof name, "/step-%03lld-%s.png", static_cast<long long>(want.seq),
                    want.kind.c_str());
      std::string error;
      if (!system.Screen().empty() &&
          platform::WritePng565(options.shotsDir + name, system.Screen().data(),
                                platform::kScreenWidth, platform::kScreenHeight, &error))
        result.notes.push_back(options.shotsDir + name + ": " + words);
      pictures.push_back({system.Screen(), words});
    }
    if (options.onStep) options.onStep(want, system.Screen());
    ++next;
    result.matched = next;
    if (next == rows.size()) throw ReplayStop{};
  });
  uint32_t menuSerial = 0, touchAt = 0;
  system.SetDriver([&](platform::HeadlessPlatform& p) {
    if (ActiveButtonWait() != MenuButtons) return;
    if (started) throw ReplayStop{};  // back at the menu before the record's last step
    if (ButtonWaitSerial() != menuSerial) {
      menuSerial = ButtonWaitSerial();
      touchAt = p.Now() + 100;
    }
    if (p.Now() >= touchAt) {
      const Button& b = MenuButtons[2];
      p.Touch(b.x + b.width / 2, b.y + b.height / 2);
      touchAt = p.Now() + 1000;
    }
    p.WakeDriverAt(touchAt);
  });

  std::vector<std::string> notes;
  try {
    RunToExit(system, {"replay", 0}, notes);
  } catch (const ReplayStop&) {
    EndOfProcess();
  }
  SetGameStartHook(nullptr);
  SetTouchSource(nullptr);
  SetStepObserver(nullptr);
  system.SetDriver(nullptr);
  fs::remove_all(folder, ec);

  if (result.difference.empty() && next < rows.size())
    result.difference =
        "step " + std::to_string(rows[next].seq) + " (" + rows[next].kind +
        "): the replayed game never came to it; recorded: " + steps::Describe(rows[next]);
  result.identical = result.difference.empty();
  if (shooting && !pictures.empty()) {
    std::string title =
        "Game " + std::to_string(game.game) + " played again: " + std::to_string(result.matched) +
        " of " + std::to_string(rows.size()) + " steps as recorded" +
        (result.identical ? "" : " - differs at " + result.difference.substr(0, 60));
    std::string error;
    if (WriteSheet(options.shotsDir + "/sheet.png", title, pictures, error))
      result.notes.push_back(options.shotsDir + "/sheet.png: the contact sheet");
    else
      result.notes.push_back(error);
  }
  return result;
}

}  // namespace sim
