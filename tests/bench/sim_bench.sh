#!/usr/bin/env bash
# Games per second per core of strikora-sim play and par, with and without pixels and with
# each clock, in one command: each figure is games over the CPU seconds of the simulator and
# its money server (each pair pinned to one core), and the ratios are against the blind run
# that makes every idle reading.
#   tests/bench/sim_bench.sh GAME_DIR [GAMES]
set -euo pipefail
game=$(cd "$1" && pwd)
games=${2:-400}
sim="$game/strikora-sim"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

ticks=$(getconf CLK_TCK)
cpu_of() { awk -v t="$ticks" '{printf "%.3f", ($14 + $15) / t}' "/proc/$1/stat"; }

# play NAME GAMES ARGS...: prints "NAME games cpu-seconds"
play() {
  local name=$1 n=$2
  shift 2
  local d="$work/$name"
  mkdir -p "$d/game/data"
  for x in Graphic_resource sounds Questions; do ln -s "$game/$x" "$d/game/$x"; done
  taskset -c 0 "$game/moneyd" --init --port 0 --db "$d/money.db" --relaxed-durability \
    --demo-credit 5000 > "$d/port" 2> "$d/moneyd.log" &
  local server=$!
  for _ in $(seq 100); do grep -q listening "$d/port" 2> /dev/null && break; sleep 0.05; done
  local port
  port=$(sed 's/.*://' "$d/port")
  /usr/bin/time -f "%U %S" -o "$d/time" taskset -c 0 "$sim" play --game-dir "$d/game" \
    --server "127.0.0.1:$port" --db "$d/money.db" --games "$n" --seed 11 --skill 0.7 "$@" \
    > "$d/out"
  local server_cpu
  server_cpu=$(cpu_of "$server")
  kill "$server"
  wait "$server" 2> /dev/null || true
  echo "$name $n $(awk -v s="$server_cpu" '{printf "%.3f", $1 + $2 + s}' "$d/time")"
}

results=()
run() { results+=("$(play "$@")"); }
run "play-blind-every-reading" "$games" --no-pixels --every-reading
run "play-blind" "$games" --no-pixels
run "play-blind-clock-5ms" "$games" --no-pixels --clock-step 5
run "play-drawn" "$((games / 20 > 10 ? games / 20 : 10))"

rm -rf "$work/par"
"$sim" par --game-dir "$game" --games "$((games * 5))" --skills 0.7 --jobs 2 --replications 4 \
  --burn-in 0 --quiet --out "$work/par" > /dev/null
par1=$(sed -n 's/.*"games_per_second_per_core": \([0-9.]*\).*/\1/p' "$work/par/par.json")
"$sim" par --game-dir "$game" --games "$((games * 5))" --skills 0.7 --jobs 2 --replications 4 \
  --burn-in 0 --quiet --clock-step 5 --out "$work/par" > /dev/null
par5=$(sed -n 's/.*"games_per_second_per_core": \([0-9.]*\).*/\1/p' "$work/par/par.json")

base=""
printf "%-28s %8s %10s %14s %8s\n" "run (skill 0.7)" games "cpu s" "games/s/core" ratio
for r in "${results[@]}"; do
  read -r name n cpu <<< "$r"
  rate=$(awk -v n="$n" -v c="$cpu" 'BEGIN {printf "%.1f", (c > 0 ? n / c : 0)}')
  [ -z "$base" ] && base=$rate
  printf "%-28s %8s %10s %14s %8s\n" "$name" "$n" "$cpu" "$rate" \
    "$(awk -v r="$rate" -v b="$base" 'BEGIN {printf "%.2fx", r / b}')"
done
for p in "par-blind $par1" "par-blind-clock-5ms $par5"; do
  read -r name rate <<< "$p"
  printf "%-28s %8s %10s %14s %8s\n" "$name" "$((games * 5))" "-" "$rate" \
    "$(awk -v r="$rate" -v b="$base" 'BEGIN {printf "%.2fx", r / b}')"
done
