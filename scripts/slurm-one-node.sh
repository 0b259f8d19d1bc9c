#!/usr/bin/env bash
# Starts a Slurm cluster of one node on this machine (munged, slurmctld and slurmd, each on
# its own socket, ports and folders in a temporary folder), runs a small payout sheet through
# scripts/par-cluster.sh (a job array of parts and a merge that depends on it), checks that
# the merged sheet is byte for byte the sheet of one process, and stops every daemon it
# started. Root only (exit 77 otherwise, so that ctest skips it); installs slurm-wlm and
# munge when missing.
#   scripts/slurm-one-node.sh [GAME_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
game=$(realpath "${1:-build/game}")
sim="$game/strikora-sim"
if [ "$(id -u)" -ne 0 ]; then
  echo "slurm-one-node: skipped: the daemons run as root"
  exit 77
fi
[ -x "$sim" ] || { echo "slurm-one-node: no $sim (build first)"; exit 1; }

missing=()
for p in slurm-wlm munge; do
  dpkg-query -W -f='${Status}' "$p" 2> /dev/null | grep -q "install ok installed" ||
    missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "slurm-one-node: installing ${missing[*]}"
  apt-get update
  DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
fi

work=$(mktemp -d /tmp/strikora-slurm.XXXXXX)
chmod 755 "$work"
pids=()
stop() {
  local code=$?
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2> /dev/null || true; done
  for pid in "${pids[@]}"; do
    for _ in $(seq 50); do kill -0 "$pid" 2> /dev/null || break; sleep 0.1; done
    kill -9 "$pid" 2> /dev/null || true
  done
  if [ "$code" -ne 0 ]; then
    for log in "$work"/*.log; do [ -f "$log" ] && { echo "== $log"; tail -n 20 "$log"; }; done
  fi
  rm -rf "$work"
  exit "$code"
}
trap stop EXIT

# A port nobody listens on, from a range of our own.
free_port() {
  local port
  for port in $(seq "$1" $(($1 + 200))); do
    ss -Hltn "sport = :$port" | grep -q . || { echo "$port"; return; }
  done
  return 1
}

# munge, with its key and socket in the work folder.
mkdir -m 700 "$work/munge"
head -c 1024 /dev/urandom > "$work/munge/munge.key"
chmod 400 "$work/munge/munge.key"
socket="$work/munge/munge.socket"
munged --foreground --force --socket="$socket" --key-file="$work/munge/munge.key" \
  --pid-file="$work/munge/munged.pid" --seed-file="$work/munge/munged.seed" \
  --log-file="$work/munged.log" > /dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do [ -S "$socket" ] && break; sleep 0.1; done
[ -S "$socket" ] || { echo "slurm-one-node: munged did not start"; exit 1; }

host=$(hostname -s)
ctld_port=$(free_port 26817)
slurmd_port=$(free_port $((ctld_port + 1)))
mkdir -p "$work/state" "$work/spool" "$work/jobs"
export SLURM_CONF="$work/slurm.conf"
cat > "$SLURM_CONF" << CONF
ClusterName=strikora-one-node
SlurmctldHost=$host(127.0.0.1)
SlurmctldPort=$ctld_port
SlurmdPort=$slurmd_port
SlurmUser=root
SlurmdUser=root
AuthType=auth/munge
CredType=cred/munge
AuthInfo=socket=$socket
StateSaveLocation=$work/state
SlurmdSpoolDir=$work/spool
SlurmctldPidFile=$work/slurmctld.pid
SlurmdPidFile=$work/slurmd.pid
SlurmctldLogFile=$work/slurmctld.log
SlurmdLogFile=$work/slurmd.log
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
JobAcctGatherType=jobacct_gather/none
AccountingStorageType=accounting_storage/none
SelectType=select/cons_tres
SelectTypeParameters=CR_CPU
SchedulerType=sched/backfill
MpiDefault=none
ReturnToService=2
MailProg=/bin/true
NodeName=$host NodeAddr=127.0.0.1 CPUs=$(nproc) State=UNKNOWN
PartitionName=one Nodes=$host Default=YES MaxTime=INFINITE State=UP
CONF
# In the foreground, so that their pids are ours to stop; their logs go to the work folder.
slurmctld -D -i -f "$SLURM_CONF" > /dev/null 2>&1 &
pids+=($!)
slurmd -D -f "$SLURM_CONF" -N "$host" > /dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do
  sinfo -h -o %t 2> /dev/null | grep -qE '^(idle|mix|alloc)' && break
  sleep 0.2
done
sinfo -h -o %t | grep -qE '^(idle|mix|alloc)' || { echo "slurm-one-node: the node is not up"; exit 1; }
echo "slurm-one-node: slurmctld on port $ctld_port, slurmd on $slurmd_port, node $host up"

# A small sheet: two players, three replications, one unit a task; and the same sheet from
# one process to compare with.
sheet=(--players regular,skill-0.7 --games 6 --replications 3 --burn-in 2 --seed 9 --no-timing)
scripts/par-cluster.sh "$sim" "$game" "$work/jobs" 1 "${sheet[@]}"
for _ in $(seq 600); do
  [ -z "$(squeue -h -o %i)" ] && break
  sleep 0.2
done
[ -z "$(squeue -h -o %i)" ] || { echo "slurm-one-node: jobs still queued"; squeue; exit 1; }
echo "slurm-one-node: parts: $(cd "$work/jobs/parts" && echo *)"
cat "$work"/jobs/strikora-par-merge-*.out
"$sim" par --game-dir "$game" "${sheet[@]}" --quiet --out "$work/one" > /dev/null
if cmp "$work/jobs/sheet/par.json" "$work/one/par.json"; then
  echo "slurm-one-node: the cluster's sheet is the one process's sheet, byte for byte"
else
  echo "slurm-one-node: the cluster's sheet differs"
  exit 1
fi
