// What the game journal costs a game, on the disk the benchmark runs on, next to what every
// game already cost before it: the record's atomic rewrite (a temporary file flushed and
// renamed). One game's journal is its stake's intent (waits for the disk), the stake's
// result, its end with the record image (waits) and the note that the record was written.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include "accounting/journal_store.h"
#include "platform/headless/headless_platform.h"
#include "temp_dir.h"

namespace {

void RecordRewrite(benchmark::State& state) {
  testing_support::TempDir dir;
  platform::HeadlessPlatform system;
  system.SetGameDir(dir.Path());
  const std::string record(240, 'r');
  std::string error;
  for (auto _ : state)
    system.WriteFileAtomically("Zemblar.rec", record.data(), record.size(), &error);
}
BENCHMARK(RecordRewrite)->Unit(benchmark::kMillisecond)->UseRealTime();

void JournalOfOneGame(benchmark::State& state) {
  const bool durable = state.range(0) != 0;
  testing_support::TempDir dir;
  journal::Store store;
  std::string error;
  journal::OpenStore(dir / "journal", journal::OpenFor::kGame, store, error);
  journal::SetDurable(store, durable);
  int64_t run = 0, game = 0;
  journal::BeginRun(store, 1, 40000, run, error);
  const std::string record(240, 'r');
  for (auto _ : state) {
    std::vector<int64_t> steps;
    journal::NextGameNumber(store, 0, game, error);
    journal::AddIntents(store, game, run, {{journal::StepKind::kStake, 50}}, nullptr, 2, steps,
                        error);
    journal::SetDurable(store, false);
    journal::SetResult(store, steps[0], journal::StepResult::kDone, "CTEL,50", 3, error);
    journal::SetDurable(store, durable);
    journal::EndGame(store, game, journal::kOutcomeLost, 0, &record, 4, error);
    journal::SetDurable(store, false);
    journal::ClearPendingRecord(store, error);
    journal::SetDurable(store, durable);
  }
  // The file's growth a game, once the write-ahead log is folded in.
  journal::Exec(store, "PRAGMA wal_checkpoint(TRUNCATE)", error);
  journal::CloseStore(store);
  state.counters["bytes_per_game"] =
      static_cast<double>(std::filesystem::file_size(dir / "journal")) /
      static_cast<double>(state.iterations());
}
BENCHMARK(JournalOfOneGame)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
