#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
#SBATCH --job-name=zomvorn-slices
#SBATCH --ntasks=1
#SBATCH --cpus-per-task=1
# One slice of a batch of stereograms per task of a Slurm job array. Task I of N makes runs
# I*R/N+1 to (I+1)*R/N of the R runs that the list of depth maps makes: the same files, byte for
# byte and by name, that one "zomvorn-cli make" of the whole list writes. Every machine needs the
# whole list and its maps: a slice reads the maps before its runs for the depth level they carry.
# A task run again writes the same files again.
#
# Usage: sbatch --array=0-3 scripts/slurm-array.sh LIST [make options, e.g. -o 'out/{n}.png']
#   LIST  the depth maps, one a line or NUL-separated (find ... -print0 | sort -z)
#   ZOMVORN_CLI  the program (default: zomvorn-cli on the PATH)
set -euo pipefail

[ $# -ge 1 ] || { echo "usage: sbatch --array=0-(N-1) $0 LIST [make options]" >&2; exit 2; }
list=$1
shift
cli=${ZOMVORN_CLI:-zomvorn-cli}
id=${SLURM_ARRAY_TASK_ID:?"not a task of a job array (sbatch --array=...)"}
count=${SLURM_ARRAY_TASK_COUNT:?}
index=$((id - ${SLURM_ARRAY_TASK_MIN:-0}))

# The runs: the list's names, separated by NUL bytes where it has any, otherwise by newlines;
# the separator after the last name may be missing.
if [ "$(tr -cd '\000' < "$list" | wc -c)" -gt 0 ]; then sep='\000'; else sep='\n'; fi
runs=$(tr -cd "$sep" < "$list" | wc -c)
runs=$((runs + $(tail -c 1 "$list" | tr -d "$sep" | wc -c)))

first=$((index * runs / count + 1))
last=$(((index + 1) * runs / count))
if [ "$first" -gt "$last" ]; then
  echo "task $id: no runs (more tasks than the $runs runs)"
  exit 0
fi
echo "task $id of $count: runs $first-$last of $runs on $(hostname -s)"
exec "$cli" make --quiet --maps-from "$list" --runs "$first-$last" "$@"
