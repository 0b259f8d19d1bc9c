#!/usr/bin/env bash
# Rewrites C++ files in the house format: the tracked ones, or those under the given paths
# (new files included).
#   scripts/format.sh [PATH...]
set -euo pipefail
cd "$(dirname "$0")/.."
if [ $# -eq 0 ]; then
  git ls-files '*.cpp' '*.h' | xargs -r clang-format -i
else
  git ls-files --cached --others --exclude-standard -- "$@" | grep -E '\.(cpp|h)$' |
    xargs -r clang-format -i
fi
