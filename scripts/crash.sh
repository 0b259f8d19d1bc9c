#!/usr/bin/env bash
# The long crash run of the whole program against a real moneyd with full durability:
# 1,000 kills of the game (at random instants and a moment after each kind of money request
# and reply), 200 of the money server and 200 of both together, each followed by a restart
# and moneyctl reconcile, the two journals checked against each other after every one.
#   scripts/crash.sh [KILLS_OF_THE_GAME]      (the suite runs a short version of each)
set -euo pipefail
cd "$(dirname "$0")/.."
kills=${1:-1000}
scripts/setup.sh
scripts/build.sh
cmake --build build -j "$(nproc)" --target game_crash
build/tests/game_crash --bin build/game --kills "$kills" --mode game
build/tests/game_crash --bin build/game --kills $((kills / 5)) --mode server
build/tests/game_crash --bin build/game --kills $((kills / 5)) --mode both
