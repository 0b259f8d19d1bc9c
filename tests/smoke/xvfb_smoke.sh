#!/usr/bin/env bash
# The README's play command in a real X window: the real game against a real money server
# on 127.0.0.1:6667, clicked with xdotool: Start (a paid game), Rules, the rules' touch
# area, then Main Menu. The program exits 0 and the money server journals its TERM.
#   xvfb_smoke.sh SOURCE_DIR      (exit 77: skipped)
set -euo pipefail
source_dir=$(cd "$1" && pwd)
game="$source_dir/build/game"
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

exec 5> "$work/display"
Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp > "$work/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
export DISPLAY=":$(cat "$work/display")"

STRIKORA_MONEY_DB="$work/money.db" SDL_AUDIODRIVER=dummy "$source_dir/scripts/play.sh" \
  > "$work/play.log" 2>&1 &
play_pid=$!
pids+=($play_pid)
window=""
for _ in $(seq 600); do
  window=$(xdotool search --onlyvisible --class strikora 2>/dev/null | head -n 1 || true)
  [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || { echo "FAIL: no window"; cat "$work/play.log"; exit 1; }

sleep 3  # loading screen, fade, menu slide-in
# Where the window is (SDL may have made it anew for its renderer), and so where a point
# of the 800x600 picture, letterboxed in it, is.
window=$(xdotool search --onlyvisible --class strikora | tail -n 1)
eval "$(xdotool getwindowgeometry --shell "$window")"
click() {  # x y in the 800x600 picture, then seconds to wait
  local sx sy
  read -r sx sy < <(awk -v x="$1" -v y="$2" -v X="$X" -v Y="$Y" -v W="$WIDTH" -v H="$HEIGHT" \
    'BEGIN { s = W / 800; if (H / 600 < s) s = H / 600;
             printf "%d %d\n", X + (W - 800 * s) / 2 + x * s, Y + (H - 600 * s) / 2 + y * s }')
  xdotool mousemove "$sx" "$sy" click 1
  sleep "$3"
}
click 650 540 3   # Start: a paid game (the stand-in game ends at once), the menu again
click 400 540 3   # Rules: fade to the rules, Back slides up
click 430 460 3   # the rules' touch area: back to the menu
click 125 540 0   # Main Menu
set +e
wait "$play_pid"
code=$?
set -e

journal=$("$game/moneyctl" --db "$work/money.db" journal)
fail=0
[ "$code" -eq 0 ] || { echo "FAIL: exit code $code"; fail=1; }
grep -q "TERM" <<< "$journal" || { echo "FAIL: no TERM in the journal"; fail=1; }
grep -q "CUSE" <<< "$journal" || { echo "FAIL: no stake taken"; fail=1; }
grep -q "Closing log" "$game/~system/logs/SKV.txt" || { echo "FAIL: log not closed"; fail=1; }
if [ $fail -ne 0 ]; then
  echo "--- play"; cat "$work/play.log"; echo "--- journal"; echo "$journal"
  exit 1
fi
echo "smoke: exit 0, one paid game, the rules seen, TERM journalled"
