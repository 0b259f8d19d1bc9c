#!/usr/bin/env bash
# What the step record costs: games per CPU second of strikora-sim play (blind, the same seed
# and games) with the record and without it (--no-steps), the journal's bytes per game (the
# steps' own bytes and the file's growth), and the time meters takes to recall 100 games.
#   tests/bench/replay_bench.sh GAME_DIR [GAMES]
set -euo pipefail
game=$(cd "$1" && pwd)
games=${2:-1000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
ticks=$(getconf CLK_TCK)
cpu_of() { awk -v t="$ticks" '{printf "%.3f", ($14 + $15) / t}' "/proc/$1/stat"; }

# play NAME ARGS...: prints "NAME cpu-seconds journal-bytes"
play() {
  local name=$1
  shift
  local d="$work/$name"
  mkdir -p "$d/game/data"
  for x in Graphic_resource sounds Questions; do ln -s "$game/$x" "$d/game/$x"; done
  taskset -c 0 "$game/moneyd" --port 0 --db "$d/money.db" --relaxed-durability \
    --demo-credit 5000 > "$d/port" 2> "$d/moneyd.log" &
  local server=$!
  for _ in $(seq 100); do grep -q listening "$d/port" 2> /dev/null && break; sleep 0.05; done
  local port
  port=$(sed 's/.*://' "$d/port")
  /usr/bin/time -f "%U %S" -o "$d/time" taskset -c 0 "$game/strikora-sim" play \
    --game-dir "$d/game" --server "127.0.0.1:$port" --db "$d/money.db" --games "$games" \
    --seed 11 --skill 0.7 --no-pixels "$@" > "$d/out"
  local server_cpu
  server_cpu=$(cpu_of "$server")
  kill "$server"
  wait "$server" 2> /dev/null || true
  sqlite3 "$d/game/data/Zemblar.journal" "PRAGMA wal_checkpoint(TRUNCATE);" > /dev/null
  echo "$name $(awk -v s="$server_cpu" '{printf "%.3f", $1 + $2 + s}' "$d/time")" \
    "$(stat -c %s "$d/game/data/Zemblar.journal")"
}

read -r _ cpu_on bytes_on <<< "$(play with-steps)"
read -r _ cpu_off bytes_off <<< "$(play without-steps --no-steps)"
journal="$work/with-steps/game/data/Zemblar.journal"
step_bytes=$(sqlite3 "$journal" \
  "SELECT sum(length(kind) + length(data) + 12) FROM steps WHERE game IN \
   (SELECT game FROM games ORDER BY game DESC LIMIT 1000)")
kept=$(sqlite3 "$journal" "SELECT count(DISTINCT game) FROM steps")
steps_per_game=$(sqlite3 "$journal" "SELECT round(count(*) * 1.0 / count(DISTINCT game), 1) FROM steps")
largest=$(sqlite3 "$journal" \
  "SELECT max(b) FROM (SELECT sum(length(kind) + length(data) + 12) AS b FROM steps GROUP BY game)")
start=$(date +%s.%N)
for _ in 1 2 3 4 5; do "$game/meters" "$work/with-steps/game/data/Zemblar.rec" --games 100 > /dev/null; done
end=$(date +%s.%N)
start_json=$(date +%s.%N)
for _ in 1 2 3 4 5; do
  "$game/meters" "$work/with-steps/game/data/Zemblar.rec" --games 100 --json > "$work/recall.json"
done
end_json=$(date +%s.%N)

awk -v g="$games" -v on="$cpu_on" -v off="$cpu_off" -v bon="$bytes_on" -v boff="$bytes_off" \
  -v sb="$step_bytes" -v kept="$kept" -v spg="$steps_per_game" -v big="$largest" \
  -v t0="$start" -v t1="$end" -v j0="$start_json" -v j1="$end_json" -v js="$(stat -c %s "$work/recall.json")" 'BEGIN {
  printf "games (blind, skill 0.7, seed 11)   %d\n", g
  printf "games/s with the step record        %.1f (%.3f cpu s)\n", g / on, on
  printf "games/s without (--no-steps)        %.1f (%.3f cpu s)\n", g / off, off
  printf "time added per game                 %.3f ms (%+.1f%%)\n", (on - off) * 1000 / g, (on / off - 1) * 100
  printf "step bytes per game (kept games)    %.0f (%.1f steps a game, largest %d bytes)\n", sb / kept, spg, big
  printf "journal file per game, with/without %.0f / %.0f bytes\n", bon / g, boff / g
  printf "meters --games 100                  %.1f ms\n", (t1 - t0) * 1000 / 5
  printf "meters --games 100 --json           %.1f ms (%d bytes)\n", (j1 - j0) * 1000 / 5, js
}'
