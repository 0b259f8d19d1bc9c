#!/usr/bin/env bash
# What the running game costs the processor: the real program in an Xvfb screen against a
# real money server with demo credit, driven by clicks to the still menu, the start pick and
# a board wait, and its CPU time (user + system, from /proc/PID/stat) read over a window in
# each. Prints one line a state with the share of one core.
#   scripts/cpu-use.sh [ROUNDS]     (each round starts the game afresh; 1 unless given)
#   STRIKORA_CPU_BINARY=FILE scripts/cpu-use.sh   measures another build of the game
# The menu is measured over 10 s (the game closes itself after 30 s idle there); the start
# pick and the board over 7 s each, inside their 10-second touch timers (the board's from
# when its countdown bar lights up, after the board is dealt). Runs in a network
# namespace of its own when it can, so that its money server on port 6667 meets no other.
set -euo pipefail
cd "$(dirname "$0")/.."
game=$PWD/build/game
rounds=${1:-1}

if [ -z "${STRIKORA_CPU_INNER:-}" ] && command -v unshare > /dev/null &&
  unshare -rn true 2> /dev/null; then
  exec env STRIKORA_CPU_INNER=1 unshare -rn bash -c 'ip link set lo up && exec "$0" "$@"' \
    "$0" "$@"
fi
if (exec 3<> /dev/tcp/127.0.0.1/6667) 2> /dev/null; then
  echo "cpu-use: something already listens on 127.0.0.1:6667" >&2
  exit 1
fi
[ -x "$game/strikora" ] || { echo "cpu-use: build the game first (scripts/build.sh)" >&2; exit 1; }

source tests/smoke/xvfb_support.sh
start_xvfb
# A copy of the game folder, so that the games left unfinished here touch no real record.
mkdir -p "$work/game"
cp "${STRIKORA_CPU_BINARY:-$game/strikora}" "$work/game/strikora"
cp -r "$game/Graphic_resource" "$game/sounds" "$game/Questions" "$work/game/"
player=$work/game
ticks=$(getconf CLK_TCK)

cpu_ticks() {  # utime + stime of a process, in clock ticks
  # The fields after the command's closing parenthesis: utime and stime are the 12th and 13th.
  sed 's/.*) //' "/proc/$1/stat" | awk '{ print $12 + $13 }'
}

measure() {  # name pid seconds
  local before after
  before=$(cpu_ticks "$2")
  sleep "$3"
  after=$(cpu_ticks "$2")
  # STRIKORA_CPU_SHOTS=DIR keeps the screen at the end of each window, to see what was measured.
  if [ -n "${STRIKORA_CPU_SHOTS:-}" ]; then
    mkdir -p "$STRIKORA_CPU_SHOTS"
    import -window root "$STRIKORA_CPU_SHOTS/$round-${1// /-}.png" 2> /dev/null || true
  fi
  awk -v n="$1" -v t=$((after - before)) -v hz="$ticks" -v s="$3" \
    'BEGIN { printf "%-12s %5.1f %% of a core (%d ticks in %d s)\n", n, 100 * t / hz / s, t, s }'
}

# Waits (up to 15 s) for the board's wait for a hexagon: its countdown bar is lit, which it
# is not while the board is dealt. The bar's first segment is at (39, 145) of the picture.
wait_for_board() {
  local sx sy colour
  read -r sx sy < <(awk -v X="$X" -v Y="$Y" -v W="$WIDTH" -v H="$HEIGHT" \
    'BEGIN { s = W / 800; if (H / 600 < s) s = H / 600;
             printf "%d %d\n", X + (W - 800 * s) / 2 + 39 * s, Y + (H - 600 * s) / 2 + 145 * s }')
  for _ in $(seq 75); do
    colour=$(import -window root -crop "1x1+$sx+$sy" -depth 8 txt:- 2> /dev/null |
      grep -o '#[0-9A-Fa-f]\{6\}' | head -n 1)
    [ -n "$colour" ] && [ $((16#${colour:3:2})) -gt 96 ] && return 0
    sleep 0.2
  done
  return 1
}

for round in $(seq "$rounds"); do
  "$game/moneyd" --port 6667 --db "$work/money-$round.db" --demo-credit 500 \
    2> "$work/moneyd.log" &
  server=$!
  pids+=($server)
  for _ in $(seq 100); do (exec 3<> /dev/tcp/127.0.0.1/6667) 2> /dev/null && break; sleep 0.05; done
  (cd "$player" && SDL_AUDIODRIVER=dummy exec ./strikora > "$work/game.log" 2>&1) &
  game_pid=$!
  pids+=($game_pid)
  wait_for_window || { echo "cpu-use: no window" >&2; cat "$work/game.log" >&2; exit 1; }
  sleep 4  # the loading screen, the fade and the menu sliding in
  locate_window
  echo "round $round"
  measure "menu" "$game_pid" 10
  click 650 540 3  # Start: the stake, then the start pick
  measure "start pick" "$game_pid" 7
  click 400 267 0  # a box: the lives, the board dealt, then it waits for a hexagon
  wait_for_board || echo "cpu-use: the board's wait was not seen; measuring all the same" >&2
  sleep 0.5
  measure "board wait" "$game_pid" 7
  # A stop request waits for the game in play to end; this one has no money to keep.
  kill -KILL "$game_pid" 2> /dev/null || true
  wait "$game_pid" 2> /dev/null || true
  kill "$server" 2> /dev/null || true
  wait "$server" 2> /dev/null || true
done
