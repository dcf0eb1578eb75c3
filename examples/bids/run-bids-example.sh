#!/bin/sh
# The BIDS example, both ways: converts the subject in examples/bids with morvane's BIDS
# commands (each run's events table into a protocol, its confound table into a motion
# file), writes the file list, runs morvane on it with the runs' VTCs (made by the example
# tools; they stand in for the preprocessed images), and exports the design matrices as
# tab-separated tables and in FSL's layout. Everything is written to a scratch folder; the
# committed subject is only read.
#
# Answers (override by environment): HRF=two-gamma VALUE=1 SKIP_FIRST=yes Z_TRANSFORM=yes
# Folders: BUILD_DIR (default: build), SCRATCH_DIR (default: scratch/bids-example).
# MORVANE=path/to/morvane uses that program instead of building one.
set -eu

repo=$(cd "$(dirname "$0")/../.." && pwd)
subject=$repo/examples/bids
scratch=${SCRATCH_DIR:-$repo/scratch/bids-example}

if [ -n "${MORVANE:-}" ]; then
  morvane=$MORVANE
else
  build=${BUILD_DIR:-$repo/build}
  cmake -S "$repo" -B "$build" >/dev/null
  cmake --build "$build" --target morvane -j2 >/dev/null
  morvane=$build/bin/morvane
fi

rm -rf "$scratch"
mkdir -p "$scratch"
python3 "$repo/examples/tools/makeBidsSubject.py" --vtcs "$scratch"

list=$scratch/file-list.txt
printf '2\n' >"$list"
for run in 1 2; do
  name=sub-01_task-faces_run-$run
  "$morvane" import events "$subject/sub-01/func/${name}_events.tsv" --output "$scratch/run-$run.prt"
  "$morvane" import confounds "$subject/derivatives/preproc/sub-01/func/${name}_desc-confounds_timeseries.tsv" \
    --output "$scratch/run-${run}_3DMC.sdm"
  printf 'run-%s.prt\nrun-%s.vtc\nrun-%s_3DMC.sdm\n' "$run" "$run" "$run" >>"$list"
done

cd "$scratch"
"$morvane" --list file-list.txt \
  --hrf "${HRF:-two-gamma}" --value "${VALUE:-1}" \
  --skip-first "${SKIP_FIRST:-yes}" --z-transform "${Z_TRANSFORM:-yes}" \
  --log morvane.log

# The extended design matrices (the runs' names with the confound kinds added) for Python's
# tools and for FSL.
for run in 1 2; do
  for matrix in "run-${run}_run-${run}_3DMC"*.sdm; do
    "$morvane" export "$matrix" --output "run-${run}_design.tsv"
    "$morvane" export "$matrix" --output "run-${run}_design.mat" --format fsl
  done
done
echo "outputs in $scratch:" >&2
ls "$scratch" >&2
