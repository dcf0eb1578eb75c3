#!/bin/bash
# Submits a whole study to a SLURM cluster: one array task per file list, then a summary job
# that names every list that failed. Run it on the cluster's login node, with the study on a
# file system that the compute nodes share and morvane installed on them:
#
#   submit-study.sh STUDY_FOLDER [morvane options...]
#   submit-study.sh /shared/study --hrf two-gamma --value 1 --skip-first yes --z-transform yes --no-vmr
#
# The lists are the files named file-list*.txt under STUDY_FOLDER (LIST_PATTERN changes the
# name), written one per line to STUDY_FOLDER/morvane-lists.txt; task N runs morvane on line
# N (morvane-array.sbatch). Each list's log goes beside it with .log in place of .txt, as
# with examples/parallel/run-study.sh; SLURM's own output of each task goes to
# STUDY_FOLDER/slurm-JOB_TASK.out. The summary (study-summary.sbatch) runs once every task
# has ended, whatever their outcome, and writes STUDY_FOLDER/morvane-summary.txt.
#
# Environment: MAX_RUNNING, at most this many tasks at once (default: as many as the cluster
# gives); PARTITION, ACCOUNT for sbatch; LIST_PATTERN.
set -euo pipefail

if [[ $# -lt 1 || $1 == -h || $1 == --help ]]; then
  sed -n '2,/^set /{/^#/s/^# \{0,1\}//p}' "$0" >&2
  exit 2
fi
study=$(cd "$1" && pwd)
shift
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
command -v sbatch >/dev/null 2>&1 || { echo "submit-study.sh: sbatch not found: not a SLURM login node" >&2; exit 2; }

lists=$study/morvane-lists.txt
# A task finds its list by line number, so a name with a line break in it cannot be listed.
if find "$study" -type f -name "${LIST_PATTERN:-file-list*.txt}" -name $'*\n*' | grep -q .; then
  echo "submit-study.sh: a file list's name holds a line break; rename it" >&2
  exit 2
fi
find "$study" -type f -name "${LIST_PATTERN:-file-list*.txt}" | LC_ALL=C sort >"$lists"
count=$(wc -l <"$lists")
if ((count == 0)); then
  echo "submit-study.sh: no file list under $study" >&2
  exit 1
fi

options=(--chdir="$study")
if [[ -n ${PARTITION:-} ]]; then options+=(--partition="$PARTITION"); fi
if [[ -n ${ACCOUNT:-} ]]; then options+=(--account="$ACCOUNT"); fi
array=1-$count
if [[ -n ${MAX_RUNNING:-} ]]; then array+=%$MAX_RUNNING; fi

job=$(sbatch --parsable "${options[@]}" --array="$array" "$here/morvane-array.sbatch" "$lists" "$@")
job=${job%%;*}
summary=$(sbatch --parsable "${options[@]}" --dependency="afterany:$job" \
  "$here/study-summary.sbatch" "$lists" "$job")
echo "submitted $count file list(s) as array job $job; summary job ${summary%%;*} writes $study/morvane-summary.txt"
