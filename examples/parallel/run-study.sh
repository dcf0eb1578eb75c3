#!/bin/bash
# Runs morvane on every file list of a study folder with GNU parallel (Debian: parallel), one
# job per core:
#
#   run-study.sh STUDY_FOLDER [morvane options...]
#   run-study.sh /data/study --hrf two-gamma --value 1 --skip-first yes --z-transform yes --no-vmr
#
# The lists are the files named file-list*.txt anywhere under STUDY_FOLDER (LIST_PATTERN
# changes the name); they do not depend on each other, and morvane reads each list's relative
# entries from the list's own folder, so the jobs can run in any order from any folder. Each
# list's log, morvane's standard output and error, goes beside the list with .log in place of
# .txt; parallel's job log of the whole run is STUDY_FOLDER/morvane-joblog.tsv (JOBLOG). At
# the end a summary on standard error names every list that failed, with morvane's exit
# status (see morvane --help).
#
# Environment: JOBS (parallel's --jobs, default 100%: one per core), MORVANE (the program,
# default morvane on the PATH), LIST_PATTERN, JOBLOG.
# Exit status: 0 when morvane succeeded on every list, 1 when it failed on any or there was
# no list, 2 for a usage error.
set -uo pipefail

if [[ $# -lt 1 || $1 == -h || $1 == --help ]]; then
  sed -n '2,/^set /{/^#/s/^# \{0,1\}//p}' "$0" >&2
  exit 2
fi
study=$1
shift
if [[ ! -d $study ]]; then
  echo "run-study.sh: $study is not a folder" >&2
  exit 2
fi
morvane=${MORVANE:-morvane}
if ! command -v "$morvane" >/dev/null 2>&1; then
  echo "run-study.sh: $morvane not found; install quorvel or set MORVANE" >&2
  exit 2
fi
if ! command -v parallel >/dev/null 2>&1; then
  echo "run-study.sh: GNU parallel is not installed (Debian: parallel)" >&2
  exit 2
fi
pattern=${LIST_PATTERN:-file-list*.txt}
joblog=${JOBLOG:-$study/morvane-joblog.tsv}

lists=()
while IFS= read -r -d '' list; do lists+=("$list"); done \
  < <(find "$study" -type f -name "$pattern" -print0 | sort -z)
if ((${#lists[@]} == 0)); then
  echo "run-study.sh: no file list named $pattern under $study" >&2
  exit 1
fi

# parallel runs the command through the shell, so morvane and its options go in quoted; {}
# is the list and {.} the list without its extension, both quoted by parallel.
command=$(printf '%q ' "$morvane" --list)
command+='{} '
for option in "$@"; do command+=$(printf '%q ' "$option"); done
command+='</dev/null >{.}.log 2>&1'

progress=()
if [[ -t 2 ]]; then progress=(--bar); fi
echo "run-study.sh: ${#lists[@]} file list(s) under $study, ${JOBS:-100%} job(s) at a time" >&2
printf '%s\0' "${lists[@]}" |
  parallel --null --jobs "${JOBS:-100%}" --joblog "$joblog" "${progress[@]}" "$command"

# Where parallel's {.}.log puts a list's log: the extension of the name dropped, if any.
logOf() {
  local name=${1##*/}
  if [[ $name == *.* ]]; then echo "${1%.*}.log"; else echo "$1.log"; fi
}

# The job log's first column is the list's place in the input, the seventh morvane's exit
# status and the eighth the signal that ended it. A list without a line in it never ran.
declare -A ran=()
failed=0
while IFS=$'\t' read -r seq _ _ _ _ _ status signal _; do
  [[ $seq =~ ^[0-9]+$ ]] || continue
  ran[$seq]=1
  if [[ $status != 0 || $signal != 0 ]]; then
    list=${lists[seq - 1]}
    if [[ $signal != 0 ]]; then why="ended by signal $signal"; else why="exit status $status"; fi
    echo "  failed: $list ($why; log: $(logOf "$list"))" >&2
    failed=$((failed + 1))
  fi
done <"$joblog"
for ((i = 1; i <= ${#lists[@]}; i++)); do
  if [[ -z ${ran[$i]:-} ]]; then
    echo "  not run: ${lists[i - 1]}" >&2
    failed=$((failed + 1))
  fi
done
if ((failed > 0)); then
  echo "run-study.sh: $failed of ${#lists[@]} file list(s) failed" >&2
  exit 1
fi
echo "run-study.sh: all ${#lists[@]} file list(s) converted" >&2
exit 0
