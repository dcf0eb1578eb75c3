#!/bin/bash
# examples/bids/run-bids-example.sh with a built morvane, in a scratch folder of the build:
# both runs converted, their design matrices exported, and the committed subject unchanged.
#   bidsExampleTest.sh <morvane> <example script> <subject folder> <scratch folder>
set -uo pipefail
# shellcheck source=../study/studyTestTools.sh
source "$(dirname "${BASH_SOURCE[0]}")/../study/studyTestTools.sh"

morvane=$1 script=$2 subject=$3 scratch=$4
command -v python3 >/dev/null 2>&1 || skipTest "python3 is not installed; the example's VTCs are made with it"

before=$(cd "$subject" && find . -type f -exec sha256sum {} + | sort)
MORVANE=$morvane SCRATCH_DIR=$scratch "$script" >"$scratch.out" 2>&1 || {
  cat "$scratch.out"
  failTest "the example script failed"
}
after=$(cd "$subject" && find . -type f -exec sha256sum {} + | sort)
[[ $before == "$after" ]] || failTest "the committed subject changed"
grep -q "all 2 protocol(s) converted" "$scratch.out" || failTest "the batch run did not convert both runs"
for run in 1 2; do
  table=$scratch/run-${run}_design.tsv
  [[ -f $table && -f $scratch/run-${run}_design.mat ]] || failTest "run $run was not exported"
  header=$(head -n 1 "$table")
  # Conditions in the order of their first event (fixation, the first, is skipped).
  [[ $header == $'face\thouse\tTranslation MN-X [mm]\t'*$'\tRotation MN-Z [deg]\tconstant' ||
     $header == $'house\tface\tTranslation MN-X [mm]\t'*$'\tRotation MN-Z [deg]\tconstant' ]] ||
    failTest "run $run: unexpected header: $header"
  [[ $(wc -l <"$table") -eq 101 ]] || failTest "run $run: not 100 rows of values"
  grep -qx $'/NumWaves\t8' "$scratch/run-${run}_design.mat" || failTest "run $run: FSL's file lacks its 8 columns"
done
echo "the BIDS example converts, runs and exports both runs"
