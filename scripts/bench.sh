#!/usr/bin/env bash
# Runs the benchmarks of the release build and prints their figures.
#   scripts/bench.sh [graphics|present|sim|journal|all]
set -euo pipefail
cd "$(dirname "$0")/.."
what=${1:-all}
scripts/setup.sh
scripts/build.sh
if [ "$what" = graphics ] || [ "$what" = all ]; then
  build/bench/graphics_bench --benchmark_min_time=1
fi
if [ "$what" = present ] || [ "$what" = all ]; then
  SDL_AUDIODRIVER=dummy xvfb-run -a -s "-screen 0 1024x768x24" build/bench/present_bench \
    --benchmark_min_time=1
fi
if [ "$what" = journal ] || [ "$what" = all ]; then
  build/bench/journal_bench --benchmark_min_time=2
fi
if [ "$what" = sim ] || [ "$what" = all ]; then
  tests/bench/sim_bench.sh build/game
fi
