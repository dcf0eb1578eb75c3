#!/bin/sh
# Builds morvane and the quorvel module, copies the example study to a scratch folder and
# runs morvane on the copy's list; morvane finds the list's relative entries beside it. The
# committed study is never written to.
#
# Answers (override by environment): HRF=two-gamma VALUE=1 SKIP_FIRST=yes Z_TRANSFORM=yes
# Folders: BUILD_DIR (default: build), SCRATCH_DIR (default: scratch/example-run).
# Any further arguments go to morvane, e.g. --sample middle or --hrf-normalise peak.
set -eu

repo=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$repo/build}
scratch=${SCRATCH_DIR:-$repo/scratch/example-run}

cmake -S "$repo" -B "$build" >/dev/null
cmake --build "$build" --target morvane -j2 >/dev/null

rm -rf "$scratch"
mkdir -p "$scratch"
cp -R "$repo/examples/study/." "$scratch/"

status=0
"$build/bin/morvane" --list "$scratch/file-list.txt" \
    --hrf "${HRF:-two-gamma}" --value "${VALUE:-1}" \
    --skip-first "${SKIP_FIRST:-yes}" --z-transform "${Z_TRANSFORM:-yes}" \
    --vmr "$scratch/anatomy.vmr" --log "$scratch/morvane.log" "$@" || status=$?
echo "morvane exit status: $status; outputs in $scratch" >&2
exit "$status"
