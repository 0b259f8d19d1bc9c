#!/usr/bin/env bash
# Checks the payout sheet's 95 % interval: SHEETS independent short sheets of one player
# (each its own seed) against one long run of the same player, and how often the short
# sheets' intervals hold the long run's return; it should be near 95 %.
#   scripts/par-coverage.sh [SHEETS [GAMES [REPLICATIONS [LONG_GAMES [PLAYER [JOBS [BURN_IN]]]]]]]
# Defaults: 40 sheets of 10,000 games in 10 replications, a long run of 400,000 games in 40,
# skill 0.5, one worker a core, par's own burn-in (1,000 games a replication). Every
# replication, the long run's included, starts after the same burn-in.
set -euo pipefail
cd "$(dirname "$0")/.."
sheets=${1:-40}
games=${2:-10000}
reps=${3:-10}
long=${4:-400000}
player=${5:-skill-0.5}
jobs=${6:-$(nproc)}
burn=()
if [ -n "${7:-}" ]; then burn=(--burn-in "$7"); fi
sim=build/game/strikora-sim
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
start=$SECONDS

"$sim" par --game-dir build/game --players "$player" --games "$long" --replications 40 \
  --seed 1000000 --jobs "$jobs" "${burn[@]}" --quiet --out "$work/long" > /dev/null
for s in $(seq 1 "$sheets"); do
  "$sim" par --game-dir build/game --players "$player" --games "$games" --replications "$reps" \
    --seed "$s" --jobs "$jobs" "${burn[@]}" --quiet --no-timing --out "$work/short-$s" \
    > /dev/null
done

python3 - "$work" "$sheets" "$player" "$games" "$reps" "$long" "$((SECONDS - start))" << 'PY'
import json, sys
work, sheets, player, games, reps, long, seconds = sys.argv[1:]
burn = json.load(open(f"{work}/long/par.json"))["burn_in"]["games"]
longrow = json.load(open(f"{work}/long/par.json"))["rows"][0]
truth = longrow["rtp"]
covered, widths = 0, []
for s in range(1, int(sheets) + 1):
    low, high = json.load(open(f"{work}/short-{s}/par.json"))["rows"][0]["rtp_ci95"]
    covered += low <= truth <= high
    widths.append(high - low)
print(f"par-coverage: {player}, {sheets} sheets of {games} games in {reps} replications, "
      f"each replication after a burn-in of {burn} games")
print(f"par-coverage: the long run of {long} games: RTP {100 * truth:.2f} % "
      f"(its own interval {100 * longrow['rtp_ci95'][0]:.2f} .. {100 * longrow['rtp_ci95'][1]:.2f} %)")
print(f"par-coverage: {covered} of {sheets} intervals hold it: {100 * covered / int(sheets):.1f} % "
      f"(mean width {100 * sum(widths) / len(widths):.2f} points); {seconds} s")
PY
