#!/bin/bash
# examples/parallel/run-study.sh on a study of eight copies of the example study, two jobs at
# a time: every output must be what morvane gives when run on each list in turn, and a
# list that fails must be named in the summary and fail the whole command while the other
# lists are still converted.
#   parallelStudyTest.sh <morvane> <example study> <run-study.sh> <work folder>
set -uo pipefail
morvane=$1
example=$2
runStudy=$3
work=$4
source "$(dirname "${BASH_SOURCE[0]}")/studyTestTools.sh"

command -v parallel >/dev/null 2>&1 || skipTest "GNU parallel is not installed (Debian: parallel)"

# Subjects at two depths, as studies are laid out.
subjects=(sub-01 sub-02 sub-03 sub-04 group-b/sub-05 group-b/sub-06 group-b/sub-07/session-1 group-b/sub-08)
makeStudy() {
  freshFolder "$1"
  for subject in "${subjects[@]}"; do copyStudy "$example" "$1/$subject"; done
}

# The reference: each list in turn, from inside its folder.
makeStudy "$work/sequential"
for subject in "${subjects[@]}"; do
  (cd "$work/sequential/$subject" &&
    "$morvane" --list file-list.txt "${answers[@]}" </dev/null >file-list.log 2>&1) ||
    failTest "morvane failed on $subject: $(cat "$work/sequential/$subject/file-list.log")"
done

# The study runner from another folder, two jobs at a time.
makeStudy "$work/parallel"
status=0
(cd "$work" && JOBS=2 MORVANE=$morvane "$runStudy" parallel "${answers[@]}") >"$work/parallel.out" 2>&1 ||
  status=$?
cat "$work/parallel.out"
[[ $status -eq 0 ]] || failTest "run-study.sh exited with $status on a study that converts"
grep -q "all 8 file list(s) converted" "$work/parallel.out" || failTest "no summary of 8 converted lists"
sameFiles "$work/sequential" "$work/parallel" morvane-joblog.tsv
[[ $(grep -c . "$work/parallel/morvane-joblog.tsv") -eq 9 ]] || failTest "the job log does not hold 8 jobs"

# One list broken: its second VTC is gone.
makeStudy "$work/failing"
rm "$work/failing/group-b/sub-06/run2.vtc"
status=0
JOBS=2 MORVANE=$morvane "$runStudy" "$work/failing" "${answers[@]}" >"$work/failing.out" 2>&1 || status=$?
cat "$work/failing.out"
[[ $status -eq 1 ]] || failTest "run-study.sh exited with $status, not 1, when a list failed"
grep -q "failed: $work/failing/group-b/sub-06/file-list.txt (exit status 1" "$work/failing.out" ||
  failTest "the summary does not name the failed list with its exit status"
[[ $(grep -c "failed: " "$work/failing.out") -eq 1 ]] || failTest "the summary names other lists as failed"
grep -q "1 of 8 file list(s) failed" "$work/failing.out" || failTest "no count of failed lists"
for subject in "${subjects[@]}"; do
  [[ $subject == group-b/sub-06 ]] && continue
  sameFiles "$work/sequential/$subject" "$work/failing/$subject"
done

# A study without lists is an error, not a success.
freshFolder "$work/empty"
status=0
MORVANE=$morvane "$runStudy" "$work/empty" "${answers[@]}" >/dev/null 2>&1 || status=$?
[[ $status -eq 1 ]] || failTest "run-study.sh exited with $status on a study without lists"
echo "8 lists two at a time as one by one; a failing list named and failing the run"
