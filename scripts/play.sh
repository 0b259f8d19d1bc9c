#!/usr/bin/env bash
# Sets everything up and plays: installs what is missing, builds the game folder,
# starts the money server with demo credit (unless one already runs) and runs the game.
#   STRIKORA_WINDOWED=1 scripts/play.sh   plays in an 800x600 window instead of full screen
#   STRIKORA_MONEY_DB=FILE scripts/play.sh  keeps the money in FILE (build/game/money.db)
# With no display (no desktop session, not on a console) it says how to play and exits 3.
set -euo pipefail
cd "$(dirname "$0")/.."

# The game must be seen to be played: with no desktop session to open a window in and no
# console to draw on (over ssh, say), it says so and plays nothing.
on_console() { case "$(tty 2> /dev/null)" in /dev/tty[0-9]*) return 0 ;; esac; return 1; }
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && ! on_console; then
  cat >&2 << 'EOF'
play: there is no display here to show the game on. To play:
  - on a desktop, in a terminal of its session: STRIKORA_WINDOWED=1 scripts/play.sh
    (a window; without STRIKORA_WINDOWED it takes the whole screen);
  - on a cabinet, from its console (a text terminal such as tty1), where the game draws on
    the screen itself, or installed as a service from the package: scripts/package.sh,
    then sudo dpkg -i build/package/strikora_*.deb (see the README).
EOF
  exit 3
fi

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
set +e
"${run[@]}"
code=$?
set -e
echo "play: the game ended with exit code $code"
exit "$code"
