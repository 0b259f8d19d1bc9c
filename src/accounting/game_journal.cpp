#include "accounting/game_journal.h"

#include <cstdio>
#include <optional>

#include "accounting/accounting.h"
#include "accounting/record_file.h"
#include "shell/eventlog.h"
#include "shell/system.h"

namespace {

journal::Store gStore;
int64_t gRun = 0;
int64_t gGame = 0;
std::vector<journal::StepRow> gSteps;  // played since the last write
int64_t gStepSeq = 0;
std::function<void(const journal::StepRow&)> gStepObserver;

int64_t Now() {
  return platform::Platform::WallClockMs();
}

// Commits that only note what already happened (a reply, a record file written) need not
// wait for the disk: whatever they say is found again from the money server's journal or
// by writing the record once more. Intents and a game's end always wait.
class Lazy {
 public:
  Lazy() { journal::SetDurable(gStore, false); }
  ~Lazy() { journal::SetDurable(gStore, Sys().FlushFiles()); }
  Lazy(const Lazy&) = delete;
  Lazy& operator=(const Lazy&) = delete;
};

void WriteRecordAgain(const std::string& image) {
  std::string error;
  Sys().MakeWritable(kRecordPath);
  if (!Sys().WriteFileAtomically(kRecordPath, image.data(), image.size(), &error)) {
    LogMessage("RECORD NOT SAVED - %s\n", error.c_str());
    return;
  }
  LogMessage("RECORD WRITTEN AGAIN - from the game journal\n");
  RecordWritten();
}

// A game-in-play marker from an older version: a game whose stake was taken and that was
// never settled. It becomes an open game of the journal and the marker goes.
void TakeInOldMarker() {
  if (Sys().FileSize(kGameMarkerPath) < 0) return;
  std::string text;
  if (FILE* f = Sys().OpenFile(kGameMarkerPath, "rb")) {
    char buffer[128];
    text.assign(buffer, std::fread(buffer, 1, sizeof buffer, f));
    std::fclose(f);
  }
  int32_t marked = 0, stake = 0;
  std::string started;
  if (!ParseGameMarker(text, marked, stake, started)) stake = 50;
  std::string error;
  int64_t game = 0;
  std::vector<int64_t> steps;
  const bool ok = journal::NextGameNumber(gStore, marked, game, error) &&
                  journal::AddIntents(gStore, game, gRun, {{journal::StepKind::kStake, stake}},
                                      nullptr, Now(), steps, error) &&
                  journal::SetResult(gStore, steps.front(), journal::StepResult::kDone,
                                     "taken (an older version's marker)", Now(), error);
  if (!ok) {
    LogMessage("GAME JOURNAL NOT WRITTEN - %s\n", error.c_str());
    return;
  }
  Sys().RemoveFile(kGameMarkerPath);
}

}  // namespace

bool OpenGameJournal(uint16_t localPort) {
  CloseGameJournal();
  Sys().CreateFolder("data");
  std::string error;
  std::optional<std::string> pending;
  const bool ok =
      journal::OpenStore(Sys().ResolvePath(kJournalPath), journal::OpenFor::kGame, gStore, error) &&
      journal::BeginRun(gStore, Now(), localPort, gRun, error) &&
      journal::PendingRecord(gStore, pending, error);
  if (!ok) {
    LogMessage("GAME JOURNAL NOT OPENED - %s - no game can be played\n", error.c_str());
    CloseGameJournal();
    return false;
  }
  journal::SetDurable(gStore, Sys().FlushFiles());
  if (pending) WriteRecordAgain(*pending);
  return true;
}

void CloseGameJournal() {
  journal::CloseStore(gStore);
  gRun = 0;
  gGame = 0;
}

bool GameJournalOpen() {
  return gStore.db != nullptr;
}

int ReportOpenGames() {
  if (!GameJournalOpen()) return 0;
  TakeInOldMarker();
  std::vector<journal::Game> open;
  std::string error;
  if (!journal::ReadOpenGames(gStore, open, error)) {
    LogMessage("GAME JOURNAL NOT READ - %s\n", error.c_str());
    return 0;
  }
  for (const journal::Game& g : open) LogMessage("%s\n", journal::OpenGameLine(g).c_str());
  LogMessage("GAME JOURNAL - %zu open game%s\n", open.size(), open.size() == 1 ? "" : "s");
  return static_cast<int>(open.size());
}

bool JournalGameStart() {
  gGame = 0;
  if (!GameJournalOpen()) return true;
  std::string error;
  int64_t game = 0;
  // The game's row is written with its stake's intent: a game cut off before that moved
  // no money and leaves nothing behind.
  if (!journal::NextGameNumber(gStore, GetGamesPlayed(), game, error)) {
    LogMessage("GAME JOURNAL NOT WRITTEN - %s - no stake taken\n", error.c_str());
    return false;
  }
  gGame = game;
  return true;
}

int64_t CurrentGameNumber() {
  return gGame;
}

std::vector<int64_t> JournalIntents(const std::vector<journal::Intent>& intents,
                                    const std::string* recordImage) {
  std::vector<int64_t> steps;
  if (!GameJournalOpen() || gGame == 0) return std::vector<int64_t>(intents.size(), 0);
  std::string error;
  if (!journal::AddIntentsAndSteps(gStore, gGame, gRun, intents, recordImage, gSteps, Now(), steps,
                                   error)) {
    LogMessage("GAME JOURNAL NOT WRITTEN - %s - game %lld\n", error.c_str(),
               static_cast<long long>(gGame));
    steps.clear();
    return steps;
  }
  gSteps.clear();
  return steps;
}

void JournalResult(int64_t step, journal::StepResult result, const std::string& reply) {
  if (!GameJournalOpen() || step == 0) return;
  Lazy lazy;
  std::string error;
  if (!journal::SetResult(gStore, step, result, reply, Now(), error))
    LogMessage("GAME JOURNAL NOT WRITTEN - %s - step %lld\n", error.c_str(),
               static_cast<long long>(step));
}

void JournalGameEnd(const char* outcome, int32_t win, const std::string* recordImage) {
  if (GameJournalOpen() && gGame != 0) {
    std::string error;
    if (!journal::EndGameWithSteps(gStore, gGame, outcome, win, recordImage, gSteps, Now(), error))
      LogMessage("GAME JOURNAL NOT WRITTEN - %s - game %lld\n", error.c_str(),
                 static_cast<long long>(gGame));
  }
  gGame = 0;
  gSteps.clear();
}

void JournalPendingRecord(const std::string& recordImage) {
  if (!GameJournalOpen()) return;
  std::string error;
  if (!journal::SetPendingRecord(gStore, recordImage, error))
    LogMessage("GAME JOURNAL NOT WRITTEN - %s\n", error.c_str());
}

void RecordWritten() {
  if (!GameJournalOpen()) return;
  Lazy lazy;
  std::string error;
  if (!journal::ClearPendingRecord(gStore, error))
    LogMessage("GAME JOURNAL NOT WRITTEN - %s\n", error.c_str());
}

void JournalStepsBegin() {
  gSteps.clear();
  gStepSeq = 0;
}

void JournalStep(const std::string& kind, int64_t atMs, const std::string& data) {
  if (gStepSeq >= journal::kMaxStepsPerGame) return;
  journal::StepRow row{++gStepSeq, kind, atMs, data};
  if (gStepSeq == journal::kMaxStepsPerGame) row = {gStepSeq, "cut", atMs, ""};
  if (gStepObserver) gStepObserver(row);
  if (GameJournalOpen() && gGame != 0) gSteps.push_back(std::move(row));
}

void SetStepObserver(std::function<void(const journal::StepRow&)> observer) {
  gStepObserver = std::move(observer);
}
