#!/usr/bin/env bash
# Sets everything up and plays: installs what is missing, builds the game folder,
# starts the money server with demo credit (unless one already runs) and runs the game.
#   STRIKORA_WINDOWED=1 scripts/play.sh   plays in an 800x600 window instead of full screen
#   STRIKORA_MONEY_DB=FILE scripts/play.sh  keeps the money in FILE (build/game/money.db)
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
scripts/build.sh
game=build/game

listening() { (exec 3<>/dev/tcp/127.0.0.1/6667) 2>/dev/null; }

server_pid=""
cleanup() { [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null && wait "$server_pid" 2>/dev/null; true; }
trap cleanup EXIT

if listening; then
  echo "play: a money server already listens on 127.0.0.1:6667; using it"
elif [ -x "$game/moneyd" ]; then
  "$game/moneyd" --init --port 6667 --db "${STRIKORA_MONEY_DB:-$game/money.db}" --demo-credit 500 \
    2> "$game/moneyd.log" &
  server_pid=$!
  for _ in $(seq 100); do listening && break; sleep 0.05; done
  echo "play: money server started with demo credit (log: $game/moneyd.log)"
else
  echo "play: the money server is not built yet; the game will stop at once with exit code 2"
fi

run=("$game/strikora")
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "play: no display here; running the game on a virtual X screen (xvfb-run)"
  run=(xvfb-run -a -s "-screen 0 1024x768x24" "${run[@]}")
fi
set +e
"${run[@]}"
code=$?
set -e
echo "play: the game ended with exit code $code"
exit "$code"
