#!/bin/bash
# examples/cluster/ run against a stand-in for SLURM's sbatch and sacct, which runs an array
# job's tasks one after another at submission and records each task's state and exit code as
# SLURM would. Three lists, one broken: each list gets its log, the summary job names the
# broken list (and only it) with its exit code, and fails.
#   clusterScriptsTest.sh <morvane> <example study> <cluster scripts folder> <work folder>
set -uo pipefail
morvane=$1
example=$2
scripts=$3
work=$4
source "$(dirname "${BASH_SOURCE[0]}")/studyTestTools.sh"

freshFolder "$work"
stand=$work/slurm
mkdir -p "$stand/bin" "$stand/jobs"
ln -s "$morvane" "$stand/bin/morvane"

cat >"$stand/bin/sbatch" <<'STAND_IN'
#!/bin/bash
# sbatch as the examples use it: --parsable --chdir= --array=A-B[%M] --dependency= [--partition=
# --account=] SCRIPT ARGS...; the job runs now, its record goes to $SLURM_STAND_IN/jobs/ID.
set -u
folder=. array=
while [[ $1 == --* ]]; do
  case $1 in
    --chdir=*) folder=${1#--chdir=} ;;
    --array=*) array=${1#--array=} ;;
  esac
  shift
done
script=$1
shift
job=$(( $(find "$SLURM_STAND_IN/jobs" -type f | wc -l) + 100 ))
record=$SLURM_STAND_IN/jobs/$job
: >"$record"
if [[ -n $array ]]; then
  range=${array%%\%*}
  for ((task = ${range%-*}; task <= ${range#*-}; task++)); do
    status=0
    (cd "$folder" && SLURM_ARRAY_TASK_ID=$task SLURM_ARRAY_JOB_ID=$job bash "$script" "$@" \
       >"slurm-${job}_$task.out" 2>&1) || status=$?
    if ((status == 0)); then state=COMPLETED; else state=FAILED; fi
    echo "${job}_$task|$state|$status:0" >>"$record"
  done
else
  status=0
  (cd "$folder" && bash "$script" "$@" >"slurm-$job.out" 2>&1) || status=$?
  echo "$job|$([[ $status == 0 ]] && echo COMPLETED || echo FAILED)|$status:0" >>"$record"
fi
echo "$job"
STAND_IN
cat >"$stand/bin/sacct" <<'STAND_IN'
#!/bin/bash
# sacct --jobs=ID ... --parsable2 --format=JobID,State,ExitCode, without its header.
for argument in "$@"; do
  case $argument in --jobs=*) cat "$SLURM_STAND_IN/jobs/${argument#--jobs=}" ;; esac
done
STAND_IN
chmod +x "$stand/bin/sbatch" "$stand/bin/sacct"
export SLURM_STAND_IN=$stand PATH=$stand/bin:$PATH

study=$work/study
for subject in sub-01 sub-02 sub-03; do copyStudy "$example" "$study/$subject"; done
rm "$study/sub-02/run3.prt"
"$scripts/submit-study.sh" "$study" "${answers[@]}" >"$work/submit.out" 2>&1 ||
  failTest "submit-study.sh failed: $(cat "$work/submit.out")"
cat "$work/submit.out"
grep -q "submitted 3 file list(s) as array job 100" "$work/submit.out" || failTest "no array job of 3 tasks"

for subject in sub-01 sub-02 sub-03; do
  [[ -s $study/$subject/file-list.log ]] || failTest "no log beside $subject's list"
done
for subject in sub-01 sub-03; do
  [[ -f $study/$subject/run3_run3.sdm ]] || failTest "$subject was not converted"
done
summary=$study/morvane-summary.txt
[[ -f $summary ]] || failTest "no summary"
cat "$summary"
grep -qx "failed: $study/sub-02/file-list.txt (FAILED, exit code 1:0)" "$summary" ||
  failTest "the summary does not name sub-02's list with its exit code"
[[ $(grep -c "^failed: " "$summary") -eq 1 ]] || failTest "the summary names other lists"
grep -q "^101|FAILED|1:0" "$stand/jobs/101" || failTest "the summary job did not fail"

# Every list converted: the summary says so and succeeds.
copyStudy "$example" "$study/sub-02"
"$scripts/submit-study.sh" "$study" "${answers[@]}" >/dev/null 2>&1 || failTest "the second submission failed"
grep -qx "all 3 file list(s) converted" "$summary" || failTest "no summary of 3 converted lists"
grep -q "^103|COMPLETED|0:0" "$stand/jobs/103" || failTest "the summary job failed on a converted study"
echo "the array job converts each list into its log, the summary names the failed one"
