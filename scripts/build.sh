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
start=$SECONDS
cmake --build build -j "$jobs"
echo "build: build took $((SECONDS - start)) s"
if [ "${1:-}" = "--sanitize" ]; then
  # The pictures, sounds and clips are the normal build's (assetgen runs there).
  configure build-asan -DSTRIKORA_SANITIZE=ON -DSTRIKORA_ASSETS_FROM="$(pwd)/build"
  start=$SECONDS
  cmake --build build-asan -j "$jobs"
  echo "build: build-asan took $((SECONDS - start)) s"
fi
