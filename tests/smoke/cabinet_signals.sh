#!/usr/bin/env bash
# The shipped program as a service, in a real X window against a real money server on
# 127.0.0.1:6667: SIGTERM on the menu ends it at once (exit 0, TERM journalled); a
# standard error whose reader has gone does not end a game; SIGTERM during a game ends the
# run after that game, settled and saved, with no other stake; two starts a second apart
# seed differently; with no display at all the program exits -1.
#   cabinet_signals.sh SOURCE_DIR      (exit 77: skipped)
set -euo pipefail
source_dir=$(cd "$1" && pwd)
game="$source_dir/build/game"
[ -f "$game/Graphic_resource/Loading/LoadingScreen.BMP" ] || { echo "skip: no pictures yet"; exit 77; }
if (exec 3<>/dev/tcp/127.0.0.1/6667) 2>/dev/null; then
  echo "skip: something already listens on 127.0.0.1:6667"
  exit 77
fi

source "$source_dir/tests/smoke/xvfb_support.sh"
fail=0
check() { if ! eval "$2"; then echo "FAIL: $1"; fail=1; fi; }

start_xvfb

"$game/moneyd" --init --port 6667 --db "$work/money.db" --demo-credit 500 2> "$work/moneyd.log" &
pids+=($!)
for _ in $(seq 100); do (exec 3<>/dev/tcp/127.0.0.1/6667) 2>/dev/null && break; sleep 0.05; done
journal() { "$game/moneyctl" --db "$work/money.db" journal; }
log="$game/~system/logs/SKV.txt"
export SDL_AUDIODRIVER=dummy

# 1. No display at all: the window cannot be made.
set +e
env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER "$game/strikora" 2> "$work/nodisplay.err"
code=$?
set -e
check "no display gives -1 (255), not $code" '[ "$code" -eq 255 ]'

# 2. SIGTERM on the menu: the same shut-down as Main Menu, at once.
"$game/strikora" 2> "$work/first.err" &
pid=$!
sleep 5
kill -TERM "$pid"
start=$SECONDS
set +e
wait "$pid"
code=$?
set -e
check "SIGTERM on the menu exits 0, not $code" '[ "$code" -eq 0 ]'
check "SIGTERM on the menu ends within 5 s" '[ $((SECONDS - start)) -le 5 ]'
check "TERM journalled" 'journal | grep -q " TERM "'
check "the stop is logged" 'grep -q "STOP REQUESTED" "$log"'
seed1=$(grep -o "seeded with [0-9]*" "$work/first.err" || true)
sleep 1

# 3. A standard error whose reader has gone, and SIGTERM in the middle of a game.
cuse_before=$(journal | grep -c " CUSE " || true)
"$game/strikora" 2> >(head -c 200 > "$work/second.err") &
pid=$!
wait_for_window || { echo "FAIL: no window"; exit 1; }
sleep 3  # loading screen, fade, menu
locate_window
click 650 540 5   # Start: a paid game
kill -TERM "$pid"
i=0
start=$SECONDS
while kill -0 "$pid" 2>/dev/null && [ $((SECONDS - start)) -lt 240 ]; do
  click ${game_points[$((i % ${#game_points[@]}))]} 0.4
  click 650 540 0.1  # Start again, which must not be taken
  i=$((i + 1))
done
set +e
wait "$pid"
code=$?
set -e
check "the game after SIGTERM (with its standard error gone) exits 0, not $code" '[ "$code" -eq 0 ]'
cuse_after=$(journal | grep -c " CUSE " || true)
check "one stake in that run ($cuse_before then $cuse_after)" '[ "$cuse_after" -eq $((cuse_before + 1)) ]'
check "the game was played to its end" 'grep -qE "LOSE GAME|JACKPOT" "$log" || journal | grep -qE " (BADD|CADD) "'
check "the game was saved" '[ -f "$game/data/Zemblar.rec" ] && [ ! -f "$game/data/Zemblar.game" ]'

# 4. Two starts a second apart seed differently.
"$game/strikora" 2> "$work/third.err" &
pid=$!
sleep 4
kill -TERM "$pid"
wait "$pid" || true
seed3=$(grep -o "seeded with [0-9]*" "$work/third.err" || true)
check "seeds differ ($seed1, $seed3)" '[ -n "$seed1" ] && [ -n "$seed3" ] && [ "$seed1" != "$seed3" ]'

if [ $fail -ne 0 ]; then
  echo "--- log"; cat "$log"; echo "--- journal"; journal
  exit 1
fi
echo "cabinet: no display -1; SIGTERM on the menu at once; a game with its stderr gone played to its end after SIGTERM; $seed1 then $seed3"
