#!/usr/bin/env bash
# The real game in a real X window against a real money server on 127.0.0.1:6667:
# a click starts a paid game, a second click ends it, and the menu left alone closes
# the program, which says goodbye to the server and exits 0.
#   xvfb_smoke.sh GAME_DIR      (exit 77: skipped)
set -euo pipefail
game=$(cd "$1" && pwd)
if [ ! -f "$game/Graphic_resource/Loading/LoadingScreen.BMP" ]; then
  echo "skip: the game folder has no pictures yet"
  exit 77
fi
if (exec 3<>/dev/tcp/127.0.0.1/6667) 2>/dev/null; then
  echo "skip: something already listens on 127.0.0.1:6667"
  exit 77
fi

work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# A copy of the game folder, so that the run's log and record stay out of the build.
mkdir "$work/game"
cp -r "$game/strikora" "$work/game/"
for d in Graphic_resource sounds Questions; do
  [ -d "$game/$d" ] && cp -r "$game/$d" "$work/game/"
done

exec 5> "$work/display"
Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp > "$work/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
export DISPLAY=":$(cat "$work/display")"

"$game/moneyd" --port 6667 --db "$work/money.db" --demo-credit 100 2> "$work/moneyd.log" &
pids+=($!)
for _ in $(seq 100); do (exec 3<>/dev/tcp/127.0.0.1/6667) 2>/dev/null && break; sleep 0.05; done

SDL_AUDIODRIVER=dummy "$work/game/strikora" 2> "$work/game.log" &
game_pid=$!
for _ in $(seq 200); do
  xdotool search --pid "$game_pid" > /dev/null 2>&1 && break
  sleep 0.05
done
xdotool search --pid "$game_pid" > /dev/null || { echo "FAIL: no window"; cat "$work/game.log"; exit 1; }
sleep 2  # the loading screen and the opening fade
xdotool mousemove 512 384 click 1  # the middle of the letterboxed 800x600 picture
sleep 2
xdotool click 1
set +e
wait "$game_pid"
code=$?
set -e

status=$("$game/moneyctl" --db "$work/money.db" status)
journal=$("$game/moneyctl" --db "$work/money.db" journal)
fail=0
[ "$code" -eq 0 ] || { echo "FAIL: exit code $code"; fail=1; }
grep -q "TERM" <<< "$journal" || { echo "FAIL: no TERM in the journal"; fail=1; }
grep -q "CUSE" <<< "$journal" || { echo "FAIL: no stake taken"; fail=1; }
grep -q "Closing log" "$work/game/~system/logs/SKV.txt" || { echo "FAIL: log not closed"; fail=1; }
[ -f "$work/game/data/Zemblar.rec" ] || { echo "FAIL: no record written"; fail=1; }
if [ $fail -ne 0 ]; then
  echo "--- game"; cat "$work/game.log"; echo "--- moneyd"; cat "$work/moneyd.log"
  echo "--- status"; echo "$status"; echo "--- journal"; echo "$journal"
  exit 1
fi
echo "smoke: exit 0, one paid game, TERM journalled"
