#!/usr/bin/env bash
# Checks the payout sheet's 95 % interval: SHEETS independent short sheets of one player
# (each its own seed) against one long run of the same player, and how often the short
# sheets' intervals hold the long run's return; it should be near 95 %.
#   scripts/par-coverage.sh [SHEETS [GAMES [REPLICATIONS [LONG_GAMES [PLAYER [JOBS [BURN_IN]]]]]]]
# Defaults: 40 sheets of 10,000 games in 10 replications, a long run of 400,000 games in 40,
# skill 0.5, one worker a core, par's own burn-in (1,000 games a replication). Every
# replication, the long run's included, starts after the same burn-in. With
# PAR_COVERAGE_DIR=DIR the sheets are kept in DIR and a stopped run resumes where it was.
# STRIKORA_GAME_DIR names the game folder (build/game by default).
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
game=${STRIKORA_GAME_DIR:-build/game}
sim=$game/strikora-sim
# PAR_COVERAGE_DIR keeps the work in that folder and makes the experiment resumable: a run
# stopped part way plays again only the short sheets and long-run parts it has not written.
if [ -n "${PAR_COVERAGE_DIR:-}" ]; then
  work=$PAR_COVERAGE_DIR
  mkdir -p "$work"
else
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
fi
start=$SECONDS

# The long run in parts of at most 4 replications (a unit each), merged into one sheet.
long_reps=40
if [ ! -f "$work/long/par.json" ]; then
  mkdir -p "$work/long-parts"
  for ((a = 0; a < long_reps; a += 4)); do
    b=$((a + 3 < long_reps - 1 ? a + 3 : long_reps - 1))
    part=$(printf "part-%06d-%06d.json" "$a" "$b")
    [ -f "$work/long-parts/$part" ] && continue
    rm -rf "$work/long-parts/tmp"
    "$sim" par --game-dir "$game" --players "$player" --games "$long" \
      --replications "$long_reps" --seed 1000000 --jobs "$jobs" "${burn[@]}" --quiet \
      --units "$a..$b" --out "$work/long-parts/tmp" > /dev/null
    mv "$work/long-parts/tmp/$part" "$work/long-parts/"
  done
  "$sim" par merge "$work/long-parts"/part-*.json --out "$work/long" > /dev/null
fi
for s in $(seq 1 "$sheets"); do
  [ -f "$work/short-$s/par.json" ] && continue
  rm -rf "$work/short-$s.tmp"
  "$sim" par --game-dir "$game" --players "$player" --games "$games" --replications "$reps" \
    --seed "$s" --jobs "$jobs" "${burn[@]}" --quiet --no-timing --out "$work/short-$s.tmp" \
    > /dev/null
  mv "$work/short-$s.tmp" "$work/short-$s"
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
# How sure the experiment itself is of the share: Wilson's 95 % interval for a binomial share.
n, z = int(sheets), 1.96
share = covered / n
centre = (share + z * z / (2 * n)) / (1 + z * z / n)
half = z * ((share * (1 - share) / n + z * z / (4 * n * n)) ** 0.5) / (1 + z * z / n)
print(f"par-coverage: {covered} of {sheets} intervals hold it: {100 * share:.1f} % "
      f"(Wilson 95 % interval {100 * (centre - half):.1f} .. {100 * (centre + half):.1f} %; "
      f"mean width {100 * sum(widths) / len(widths):.2f} points); {seconds} s")
PY
