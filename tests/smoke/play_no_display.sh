#!/usr/bin/env bash
# scripts/play.sh where nothing can show the game (no X or Wayland session, no console):
# it says so and how to play, and exits non-zero at once, building and playing nothing.
#   play_no_display.sh SOURCE_DIR
set -uo pipefail
source_dir=$(cd "$1" && pwd)
out=$(env -u DISPLAY -u WAYLAND_DISPLAY setsid "$source_dir/scripts/play.sh" < /dev/null 2>&1)
code=$?
fail=0
[ "$code" -ne 0 ] || { echo "FAIL: exit code 0"; fail=1; }
grep -q "there is no display here" <<< "$out" || { echo "FAIL: no word of the display"; fail=1; }
grep -q "STRIKORA_WINDOWED=1 scripts/play.sh" <<< "$out" || { echo "FAIL: no way to play"; fail=1; }
grep -q "console" <<< "$out" || { echo "FAIL: no word of the console"; fail=1; }
if [ "$fail" -ne 0 ]; then
  echo "--- play.sh said (exit $code):"
  echo "$out"
  exit 1
fi
echo "play.sh without a display: exit $code, and how to play"
