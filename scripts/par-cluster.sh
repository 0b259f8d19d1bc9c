#!/usr/bin/env bash
# Runs a payout sheet on a Slurm cluster: a job array of parts, each a few units in a task of
# one core, and a merge that starts once every part has ended well. Prints the two job ids.
#   scripts/par-cluster.sh SIM GAME_DIR WORK_DIR UNITS_PER_TASK [par options...]
# SIM, GAME_DIR and WORK_DIR must be paths every node sees (a shared folder); the sheet goes
# to WORK_DIR/sheet, the parts to WORK_DIR/parts and the jobs' logs to WORK_DIR.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
sim=$(realpath "$1") game=$(realpath "$2") work=$3 per=$4
shift 4
mkdir -p "$work"
work=$(realpath "$work")
units=$("$sim" par --game-dir "$game" --count-units "$@")
tasks=$(((units + per - 1) / per))
timing=()
for a in "$@"; do [ "$a" = --no-timing ] && timing=(--no-timing); done
array=$(cd "$work" && sbatch --parsable --array="0-$((tasks - 1))" \
  "$here/slurm/par-part.sbatch" "$sim" "$game" "$work/parts" "$per" "$units" --quiet "$@")
array=${array%%;*}
merge=$(cd "$work" && sbatch --parsable --dependency="afterok:$array" \
  "$here/slurm/par-merge.sbatch" "$sim" "$work/parts" "$work/sheet" "${timing[@]}")
echo "par-cluster: $units units in $tasks tasks: array job $array, merge job ${merge%%;*}"
