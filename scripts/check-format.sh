#!/usr/bin/env bash
# Fails when a C++ file differs from what .clang-format makes of it.
set -euo pipefail
cd "$(dirname "$0")/.."
files=$(git ls-files '*.cpp' '*.h' 2>/dev/null || find src tools tests server -name '*.cpp' -o -name '*.h')
[ -z "$files" ] && exit 0
if ! clang-format --dry-run --Werror $files; then
  echo "check-format: run scripts/format.sh to fix the files above" >&2
  exit 1
fi
