#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Makes a batch of stereograms as a Slurm job array of 4 tasks (scripts/slurm-array.sh) on a
# one-machine cluster of its own, and checks that every file is byte for byte the one a single
# "zomvorn-cli make" of the whole list writes.
#
# The cluster lives in a scratch folder: its own munge key, socket and daemon, its own slurm.conf
# (SLURM_CONF), state and spool folders, logs and ports. Its daemons are stopped by the pids they
# wrote, on any exit; a munge or Slurm set-up the machine already has is not touched. Needs root
# (slurmd starts the tasks). Not part of scripts/test.sh.
#
# Usage: scripts/slurm-test.sh            RUNS=400 runs by default
#   ZOMVORN_CLI  the program to test (default: build/release or build/debug, built if neither is)
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
runs=${RUNS:-400}
tasks=4
[ "$(id -u)" -eq 0 ] || { echo "slurm-test.sh: run as root: slurmd starts the tasks" >&2; exit 2; }
"$here/scripts/deps.sh" slurm

cli=${ZOMVORN_CLI:-}
if [ -z "$cli" ]; then
  for c in "$here/build/release/zomvorn-cli" "$here/build/debug/zomvorn-cli"; do
    [ -x "$c" ] && { cli=$c; break; }
  done
fi
if [ -z "$cli" ]; then
  "$here/scripts/deps.sh" build
  (cd "$here" && cmake --preset release >/dev/null && cmake --build --preset release --target zomvorn-cli)
  cli=$here/build/release/zomvorn-cli
fi
cli=$(realpath "$cli")
export ZOMVORN_CLI=$cli

scratch=$(mktemp -d "${TMPDIR:-/tmp}/zomvorn-slurm.XXXXXX")
ok=0
stop() {
  # Our daemons only, by the pids they wrote.
  local f pid
  for f in "$scratch/slurmd.pid" "$scratch/slurmctld.pid" "$scratch/munge/munged.pid"; do
    [ -s "$f" ] || continue
    pid=$(cat "$f")
    kill "$pid" 2>/dev/null || continue
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  done
  if [ "$ok" -eq 1 ]; then
    rm -rf "$scratch"
  else
    echo "slurm-test.sh: failed; logs are in $scratch" >&2
  fi
}
trap stop EXIT
trap 'exit 130' INT TERM

# munge: a key, a socket, a pid, a log and a seed file of our own.
# The socket's folders must be open to every user (munged checks), not writable by them.
chmod 755 "$scratch"
mkdir -m 755 "$scratch/munge"
dd if=/dev/urandom bs=1 count=1024 of="$scratch/munge/munge.key" status=none
chmod 400 "$scratch/munge/munge.key"
socket=$scratch/munge/munge.socket
/usr/sbin/munged --key-file="$scratch/munge/munge.key" --socket="$socket" \
  --pid-file="$scratch/munge/munged.pid" --log-file="$scratch/munge/munged.log" \
  --seed-file="$scratch/munge/munged.seed"
for _ in $(seq 50); do [ -S "$socket" ] && break; sleep 0.1; done
munge -S "$socket" -n | unmunge -S "$socket" >/dev/null

# Two free ports in a row.
port_free() { [ -z "$(ss -Htan "( sport = :$1 )")" ]; }
port=0
for _ in $(seq 100); do
  p=$((20000 + RANDOM % 30000))
  if port_free "$p" && port_free $((p + 1)); then port=$p; break; fi
done
[ "$port" -ne 0 ] || { echo "slurm-test.sh: no free ports" >&2; exit 1; }

host=$(hostname -s)
memory=$(awk '/MemTotal/ { print int($2 / 1024 * 0.8) }' /proc/meminfo)
mkdir -p "$scratch/state" "$scratch/spool" "$scratch/out"
export SLURM_CONF=$scratch/slurm.conf
cat > "$SLURM_CONF" <<CONF
ClusterName=zomvorn-test
SlurmctldHost=$host(127.0.0.1)
SlurmctldPort=$port
SlurmdPort=$((port + 1))
AuthType=auth/munge
CredType=cred/munge
AuthInfo=socket=$socket
SlurmUser=root
SlurmdUser=root
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
SelectType=select/cons_tres
SelectTypeParameters=CR_Core
ReturnToService=2
MpiDefault=none
JobCompType=jobcomp/none
JobAcctGatherType=jobacct_gather/none
AccountingStorageType=accounting_storage/none
StateSaveLocation=$scratch/state
SlurmdSpoolDir=$scratch/spool
SlurmctldPidFile=$scratch/slurmctld.pid
SlurmdPidFile=$scratch/slurmd.pid
SlurmctldLogFile=$scratch/slurmctld.log
SlurmdLogFile=$scratch/slurmd.log
NodeName=$host NodeAddr=127.0.0.1 CPUs=$(nproc) RealMemory=$memory State=UNKNOWN
PartitionName=main Nodes=$host Default=YES MaxTime=INFINITE State=UP
CONF
slurmctld -f "$SLURM_CONF"
slurmd -f "$SLURM_CONF"
state=""
for _ in $(seq 120); do
  state=$(sinfo -h -o %T 2>/dev/null || true)
  [ "$state" = idle ] && break
  sleep 0.5
done
[ "$state" = idle ] || { echo "slurm-test.sh: the node is '$state', not idle" >&2; exit 1; }

# Depth maps whose last rows hold no level colour, some with none at all, and small ones that
# the canvas surrounds with level 0: the level carried into a slice comes from maps before it,
# and shows in the first rows of its first map.
bmp_bytes() { printf '%b' "$(printf '\\x%02x' "$@")"; } # each argument one byte's value
bmp_le32() { bmp_bytes $(($1 & 255)) $(($1 >> 8 & 255)) $(($1 >> 16 & 255)) $(($1 >> 24 & 255)); }
bmp_row() { # one row of 389 pixels of colour R G B, padded to 1168 bytes
  local px row=""
  px=$(printf '\\x%02x' "$3" "$2" "$1")
  for _ in $(seq 389); do row+=$px; done
  printf '%b' "$row\\x00"
}
level_rgb=("0 0 0" "0 0 128" "0 128 0" "0 128 128" "128 0 0" "128 0 128" "128 128 0"
  "192 192 192" "128 128 128" "0 0 255" "0 255 0" "0 255 255" "255 0 0" "255 0 255"
  "255 255 0" "255 255 255")
mkdir "$scratch/maps"
for k in 0 1 2 3 4 5 6 7; do
  # Top to bottom: 40 rows of no level colour (where the level carried in shows), a band of
  # level colour, and rows of no level colour again.
  band=$((20 + 30 * k))
  [ $((k % 4)) -eq 3 ] && band=0
  bmp_row 10 $((20 + k)) 30 > "$scratch/off.row"
  # shellcheck disable=SC2086 # the colour's three numbers
  bmp_row ${level_rgb[$(((k * 5 + 1) % 16))]} > "$scratch/level.row"
  {
    printf 'BM'; bmp_le32 $((54 + 1168 * 333)); bmp_le32 0; bmp_le32 54
    bmp_le32 40; bmp_le32 389; bmp_le32 333; bmp_bytes 1 0 24 0; bmp_le32 0
    bmp_le32 $((1168 * 333)); bmp_le32 2835; bmp_le32 2835; bmp_le32 0; bmp_le32 0
    for _ in $(seq $((333 - 40 - band))); do cat "$scratch/off.row"; done # rows bottom to top
    for _ in $(seq "$band"); do cat "$scratch/level.row"; done
    for _ in $(seq 40); do cat "$scratch/off.row"; done
  } > "$scratch/maps/band$k.bmp"
done
cp "$here/tests/data/bmpsuite/g/pal8.bmp" "$here/tests/data/bmpsuite/g/rgb24.bmp" "$scratch/maps/"
maps=("$scratch"/maps/*.bmp)
for i in $(seq 0 $((runs - 1))); do
  echo "${maps[$(((i * 7 + i / 5) % ${#maps[@]}))]}"
done > "$scratch/list.txt"

echo "slurm-test.sh: $runs runs, one batch"
mkdir -p "$scratch/whole" "$scratch/slices"
start=$(date +%s.%N)
(cd "$scratch" && "$cli" make --quiet --maps-from list.txt -o 'whole/{n}.bmp')
whole=$(awk -v s="$start" -v e="$(date +%s.%N)" 'BEGIN { printf "%.1f", e - s }')
echo "slurm-test.sh: $runs runs, an array of $tasks Slurm tasks"
start=$(date +%s.%N)
sbatch --array=0-$((tasks - 1)) --wait --chdir="$scratch" --output="$scratch/out/task-%a.out" \
  "$here/scripts/slurm-array.sh" list.txt -o 'slices/{n}.bmp'
array=$(awk -v s="$start" -v e="$(date +%s.%N)" 'BEGIN { printf "%.1f", e - s }')
cat "$scratch"/out/task-*.out
echo "slurm-test.sh: wall time: one batch ${whole} s, $tasks tasks ${array} s (submission to end)"

made=$(find "$scratch/slices" -type f | wc -l)
[ "$made" -eq "$runs" ] || { echo "slurm-test.sh: $made files, not $runs" >&2; exit 1; }
# Byte for byte, every file of one folder against the file of the same name in the other.
diff -r -q "$scratch/whole" "$scratch/slices" >&2 || { echo "slurm-test.sh: files differ" >&2; exit 1; }
echo "slurm-test.sh: all $runs files of the $tasks tasks are those of one batch, byte for byte"
ok=1
