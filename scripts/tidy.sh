#!/usr/bin/env bash
# clang-tidy over the shipped code of src/, server/ and tools/ (not their tests/ and bench/
# folders) with the checks of .clang-tidy, from the normal build's compile_commands.json
# (less GCC's own options clang does not know), two files at a time. Exit 0 only when
# nothing is found.
# Usage: scripts/tidy.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
if [ ! -f "$build/compile_commands.json" ]; then
  echo "tidy: no $build/compile_commands.json (run scripts/build.sh first)" >&2
  exit 2
fi
root=$(pwd)
start=$SECONDS
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
files=$(python3 -c '
import json, re, sys
root, out = sys.argv[2], sys.argv[3]
kept, seen = [], set()
for e in json.load(open(sys.argv[1])):
    f = e["file"]
    ours = any(f.startswith(root + "/" + d + "/") for d in ("src", "server", "tools"))
    if not ours or "/tests/" in f or "/bench/" in f or f in seen:
        continue
    seen.add(f)
    e["command"] = re.sub(r" -fvect-cost-model=\S+", "", e["command"])
    kept.append(e)
    print(f)
json.dump(kept, open(out + "/compile_commands.json", "w"))
' "$build/compile_commands.json" "$root" "$work")
log=$work/tidy.log
status=0
printf '%s\n' $files | xargs -P 2 -n 4 clang-tidy -p "$work" --quiet >"$log" 2>/dev/null || status=$?
count=$(grep -c 'error: .*\[' "$log" || true)
echo "tidy: $(printf '%s\n' $files | wc -l) files in $((SECONDS - start)) s, $count findings"
if [ "$status" -ne 0 ] || [ "$count" -ne 0 ]; then
  grep -A3 'error: .*\[' "$log" | head -200
  exit 1
fi
