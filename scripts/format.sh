#!/usr/bin/env bash
# Rewrites every C++ file in the house format.
set -euo pipefail
cd "$(dirname "$0")/.."
git ls-files --cached --others --exclude-standard '*.cpp' '*.h' | xargs clang-format -i
