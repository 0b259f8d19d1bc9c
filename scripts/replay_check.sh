#!/usr/bin/env bash
# The long replay check: 1,000 bot games (five skill and strategy rows, each game recorded by
# the game as it plays), every one played again from its record and checked step by step;
# the 100 of the drawn row also screen by screen against the screens the bots saw. Prints
# "replayed 1000/1000 games identical step by step; 100/100 drawn games pixel-identical".
#   scripts/replay_check.sh [SCALE]     (20 by default: 50 games a scale; the suite runs 1)
set -euo pipefail
cd "$(dirname "$0")/.."
scale=${1:-20}
cmake --build build -j2 --target sim_play_tests
STRIKORA_REPLAY_SCALE=$scale build/tests/sim_play_tests \
  --gtest_filter='SimReplayTest.BotGamesReplayStepByStepAndDrawnOnesPixelForPixel'
