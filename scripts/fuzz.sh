#!/usr/bin/env bash
# Open-ended, coverage-guided fuzzing with libFuzzer (clang), ASan and UBSan.
#   scripts/fuzz.sh TARGET [SECONDS]     e.g. scripts/fuzz.sh fuzz_money_reply 60
# Targets: the fuzz_* executables of tests/CMakeLists.txt. Crashes land in build-fuzz/.
set -euo pipefail
cd "$(dirname "$0")/.."
target=${1:?usage: scripts/fuzz.sh TARGET [SECONDS]}
seconds=${2:-60}
scripts/setup.sh
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSTRIKORA_LIBFUZZER=ON >/dev/null
cmake --build build-fuzz -j "$(nproc)" --target "$target"
mkdir -p build-fuzz/corpus/"$target"
cd build-fuzz
exec ./tests/"$target" -max_total_time="$seconds" corpus/"$target"
