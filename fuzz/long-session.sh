#!/usr/bin/env bash
# A long fuzzing session, for a maintainer: each target (all, or those named) runs until its
# jobs together have executed RUNS inputs or SECONDS_EACH seconds have passed, whichever comes
# first; then what it found that reaches new code is merged into fuzz/corpus/<target>, and the
# replay of each corpus is timed, so that the normal test run stays short. Commit the grown
# corpora afterwards; an input that broke a target is listed and kept in the work folder.
#
#   fuzz/long-session.sh [TARGET...]
#
# Environment: RUNS (default 10000000, all jobs of a target together), SECONDS_EACH (default
# 3600), JOBS (default 2); BUILD_DIR, WORK_DIR, FUZZ_CXX, FUZZ_OPTIONS and REPLAY_BUDGET as for
# fuzz/run-fuzzers.sh, which does the work. On two cores the whole session takes up to an hour
# per target.
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
runs=${RUNS:-10000000}
seconds=${SECONDS_EACH:-3600}
jobs=${JOBS:-2}
# libFuzzer counts -runs per job.
per_job=$(((runs + jobs - 1) / jobs))

FUZZ_JOBS=$jobs FUZZ_MERGE=1 FUZZ_OPTIONS="-runs=$per_job ${FUZZ_OPTIONS:-}" \
  exec "$repo/fuzz/run-fuzzers.sh" "$seconds" "$@"
