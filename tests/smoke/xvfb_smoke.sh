#!/usr/bin/env bash
# The README's play command in a real X window: the real game against a real money server
# on 127.0.0.1:6667, clicked with xdotool: Rules, the rules' touch area, then Start and one
# whole paid game played by clicking (a box, hexagons, answers, collect) until it is lost,
# won or collected, then Main Menu. The program exits 0 and the money server journals the
# stake, any payment and the TERM; meters recalls the game and strikora-sim replays it to
# the same steps and outcome.
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

# Meter 0 of the game folder's record (it may already hold earlier runs).
games_charged() {
  local v
  v=$("$game/meters" --json 2>/dev/null |
    python3 -c 'import json, sys; print(json.load(sys.stdin)["meters"][0]["value"] or 0)' 2>/dev/null)
  echo "${v:-0}"
}
charged_before=$(games_charged)

source "$source_dir/tests/smoke/xvfb_support.sh"
start_xvfb

STRIKORA_MONEY_DB="$work/money.db" SDL_AUDIODRIVER=dummy "$source_dir/scripts/play.sh" \
  > "$work/play.log" 2>&1 &
play_pid=$!
pids+=($play_pid)
wait_for_window || { echo "FAIL: no window"; cat "$work/play.log"; exit 1; }
sleep 3  # loading screen, fade, menu slide-in
locate_window
log="$game/~system/logs/SKV.txt"
click 400 540 3   # Rules: fade to the rules, Back slides up
click 430 460 3   # the rules' touch area: back to the menu
click 650 540 4   # Start: a paid game, then the start pick
# Until the game has ended: a box of the start pick, each hexagon in turn, an answer, and
# the collect button. None of these points is on the menu's row of buttons.
ended() {
  grep -qE "LOSE GAME|JACKPOT" "$log" && return 0
  "$game/moneyctl" --db "$work/money.db" journal | grep -qE " (BADD|CADD) "
}
start=$SECONDS
i=0
until ended; do
  if [ $((SECONDS - start)) -gt 240 ]; then echo "FAIL: the game did not end in 240 s"; break; fi
  kill -0 "$play_pid" 2>/dev/null || break
  click ${game_points[$((i % ${#game_points[@]}))]} 0.4
  i=$((i + 1))
done
echo "smoke: the game ended after $((SECONDS - start)) s and $i clicks"
sleep 12          # the game-over clip or the prize screen, then the menu slides in
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
grep -q "Closing log" "$log" || { echo "FAIL: log not closed"; fail=1; }
grep -q "controlTable.controlModeGrid" "$log" || { echo "FAIL: no game was set up"; fail=1; }
ended || { echo "FAIL: the game did not end"; fail=1; }
[ "$(games_charged)" -eq $((charged_before + 1)) ] || { echo "FAIL: meter 0 did not count the game"; fail=1; }
if [ $fail -ne 0 ]; then
  echo "--- play"; cat "$work/play.log"; echo "--- journal"; echo "$journal"
  exit 1
fi
# The game just played, recalled from the game journal and played again from its record on
# the headless backend (its moments came from a real clock: only they may differ).
recall=$("$game/meters" --games 1)
number=$(sed -n 's/^Game \([0-9]*\) - .*/\1/p' <<< "$recall" | head -1)
grep -q "start pick: box" <<< "$recall" || { echo "FAIL: no recall of the game"; echo "$recall"; exit 1; }
if ! replay=$("$game/strikora-sim" replay --game-dir "$game" --game "$number" --loose-time \
  --no-pixels); then
  echo "FAIL: the replay differs"; echo "$replay"; echo "$recall"; exit 1
fi
echo "$recall"
echo "smoke: $replay"
echo "--- log"; cat "$log"
echo "smoke: exit 0, the rules seen, one paid game played to its end, TERM journalled, the game recalled and replayed"
