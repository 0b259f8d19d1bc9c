#!/usr/bin/env bash
# Builds the game folder (build/game) and, with --sanitize, the ASan+UBSan build too.
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=$(nproc)
configure() {  # dir, extra cmake args...
  local dir=$1; shift
  if [ ! -f "$dir/CMakeCache.txt" ]; then
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
  fi
}

configure build
cmake --build build -j "$jobs"
if [ "${1:-}" = "--sanitize" ]; then
  configure build-asan -DSTRIKORA_SANITIZE=ON
  cmake --build build-asan -j "$jobs"
fi
