#!/bin/bash
# Eight morvane runs at once on one folder tree: each has a list of its own, and all their
# lists name protocols, VTCs and confound files in one shared folder, each run its own
# files. Every run must succeed and give exactly what it gives alone, rounds after round
# (the later rounds replace the outputs and VTCs of the earlier ones), and no temporary
# file may be left.
#   concurrentRunsTest.sh <morvane> <example study> <work folder>
set -uo pipefail
morvane=$1
example=$2
work=$3
source "$(dirname "${BASH_SOURCE[0]}")/studyTestTools.sh"

runs=8
rounds=3

# The shared folder holds the example study's files once per run, prefixed sN_; run N's list
# in lists/N names them there.
makeTree() {
  freshFolder "$1"
  mkdir -p "$1/shared"
  local run file
  for ((run = 1; run <= runs; run++)); do
    for file in "$example"/*; do
      [[ $(basename "$file") == file-list.txt ]] && continue
      cp "$file" "$1/shared/s${run}_$(basename "$file")"
    done
    mkdir -p "$1/lists/$run"
    {
      head -n 1 "$example/file-list.txt"
      tail -n +2 "$example/file-list.txt" | sed "s|^|../../shared/s${run}_|"
    } >"$1/lists/$run/file-list.txt"
  done
}

runOne() {
  # $1 tree, $2 run, $3 round: from inside the list's folder, as before lists were read
  # from their own folder.
  (cd "$1/lists/$2" && "$morvane" --list file-list.txt "${answers[@]}" --vmr ../../shared/s"$2"_anatomy.vmr \
      </dev/null >"out-$3.txt" 2>"err-$3.txt")
}

makeTree "$work/alone"
makeTree "$work/together"
for ((round = 1; round <= rounds; round++)); do
  for ((run = 1; run <= runs; run++)); do
    runOne "$work/alone" "$run" "$round" || failTest "run $run alone failed: $(cat "$work/alone/lists/$run/err-$round.txt")"
  done
  pids=()
  for ((run = 1; run <= runs; run++)); do
    runOne "$work/together" "$run" "$round" &
    pids+=($!)
  done
  for ((run = 1; run <= runs; run++)); do
    wait "${pids[run - 1]}" ||
      failTest "run $run of round $round failed among others: $(cat "$work/together/lists/$run/err-$round.txt")"
  done
  sameFiles "$work/alone" "$work/together"
done

leftOver=$(find "$work/together" -name '*.tmp')
[[ -z $leftOver ]] || failTest "temporary files left: $leftOver"
written=$(find "$work/together/shared" -name '*.sdm' | wc -l)
[[ $written -gt $((runs * 5)) ]] || failTest "only $written design matrices in the shared folder"
echo "$runs runs at once on one shared folder, $rounds rounds: the same files as run alone"
