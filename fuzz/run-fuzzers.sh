#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and UndefinedBehaviorSanitizer
# on) and runs each for a bounded time on a copy of its corpus, so that the committed
# corpus is never written to.
#
#   fuzz/run-fuzzers.sh [SECONDS-EACH] [TARGET...]     (default: 30 seconds, every target)
#
# Environment: BUILD_DIR (default: build-fuzz), WORK_DIR (default: scratch/fuzz; each target
# keeps the inputs it found in WORK_DIR/<target>/corpus and writes what broke it to
# WORK_DIR/<target>/), FUZZ_CXX (default: clang++-14, else clang++), FUZZ_JOBS (parallel
# fuzzing processes per target, default 1), FUZZ_OPTIONS (more libFuzzer options; -runs=N
# counts per job), FUZZ_MERGE=1 (afterwards, merge what a target found into
# fuzz/corpus/<target> with -merge=1, which takes an input only when it reaches new code, and
# time the replay of that corpus and the target's crashes against REPLAY_BUDGET seconds,
# default 10, in this build; the normal build, without sanitizers, replays them faster).
# Only the targets named are built. Prints each target's runs and executions per second, all
# jobs together. Exits 1 when any target failed or replays too slowly; the inputs that broke
# a target are listed at the end.
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
seconds=${1:-30}
if (($# > 0)); then shift; fi
build=$(realpath -m "${BUILD_DIR:-$repo/build-fuzz}")
work=$(realpath -m "${WORK_DIR:-$repo/scratch/fuzz}")
jobs=${FUZZ_JOBS:-1}
merge=${FUZZ_MERGE:-0}
budget=${REPLAY_BUDGET:-10}
compiler=${FUZZ_CXX:-}
if [[ -z $compiler ]]; then
  if command -v clang++-14 >/dev/null; then compiler=clang++-14; else compiler=clang++; fi
fi

cmake -S "$repo" -B "$build" -DCMAKE_CXX_COMPILER="$compiler" -DQUORVEL_BUILD_FUZZERS=ON \
      -DQUORVEL_BUILD_TESTS=OFF -DQUORVEL_BUILD_HEADLESS=ON >/dev/null

if (($# > 0)); then
  targets=("$@")
  cmake --build "$build" -j2 --target "${targets[@]/#/fuzz_}"
else
  # The one list of targets, in fuzz/fuzzTargets.cmake.
  mapfile -t targets < <(sed -n '/^set(quorvel_fuzz_targets/,/^)/{/^  /s/^  //p}' "$repo/fuzz/fuzzTargets.cmake")
  cmake --build "$build" --target quorvel_fuzzers -j2
fi

parallel=()
# Several jobs write their logs to fuzz-N.log in the target's work folder; the first process
# copies each into its own output when the job ends.
if ((jobs > 1)); then parallel=(-jobs="$jobs" -workers="$jobs"); fi

# Runs, executions per second and new inputs of a target's log, all its jobs together.
summary() {
  awk '/^stat::number_of_executed_units:/ { runs += $2 } /^stat::average_exec_per_sec:/ { rate += $2 }
       /^stat::new_units_added:/ { added += $2 }
       END { printf "%d runs, %d exec/s, %d new inputs\n", runs, rate, added }' "$1"
}

# Merges what the session found into the committed corpus and times the replay of the corpus
# and the crashes; false when either fails or the replay takes longer than the budget.
merge_into_corpus() {
  local target=$1 program=$2 before after start elapsed
  before=$(find "$repo/fuzz/corpus/$target" -type f | wc -l)
  if ! (cd "$work/$target" && "$program" -merge=1 -max_len=8192 -timeout=10 -rss_limit_mb=2048 \
          -artifact_prefix="$work/$target/" "$repo/fuzz/corpus/$target" "$work/$target/corpus" \
          >"$work/$target/merge.txt" 2>&1); then
    echo "$target: the merge failed; see $work/$target/merge.txt" >&2
    return 1
  fi
  after=$(find "$repo/fuzz/corpus/$target" -type f | wc -l)
  start=$(date +%s%N)
  if ! "$program" -runs=0 "$repo/fuzz/corpus/$target" "${crashes[@]}" >"$work/$target/replay.txt" 2>&1; then
    echo "$target: the replay failed; see $work/$target/replay.txt" >&2
    return 1
  fi
  elapsed=$((($(date +%s%N) - start) / 1000000))
  printf '%s: corpus %d inputs (%d merged in), replayed in %d.%03d s\n' "$target" "$after" \
         $((after - before)) $((elapsed / 1000)) $((elapsed % 1000)) >&2
  ((elapsed <= budget * 1000))
}

failed=()
for target in "${targets[@]}"; do
  program=$build/bin/fuzz_$target
  if [[ ! -x $program ]]; then
    echo "no fuzz target $target ($program)" >&2
    failed+=("$target")
    continue
  fi
  mkdir -p "$work/$target/corpus"
  crashes=("$repo/fuzz/crashes/$target")
  [[ -d ${crashes[0]} ]] || crashes=()
  echo "== fuzzing $target for ${seconds}s" >&2
  # shellcheck disable=SC2086 # FUZZ_OPTIONS holds several options
  if ! (cd "$work/$target" && "$program" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
          -max_len=8192 -print_final_stats=1 "${parallel[@]}" \
          -artifact_prefix="$work/$target/" ${FUZZ_OPTIONS:-} \
          "$work/$target/corpus" "$repo/fuzz/corpus/$target" "${crashes[@]}" 2>"$work/$target/log.txt"); then
    failed+=("$target")
    tail -n 60 "$work/$target/log.txt" >&2
  else
    echo "$target: $(summary "$work/$target/log.txt") ($jobs job(s))" >&2
    if ((merge)) && ! merge_into_corpus "$target" "$program"; then
      echo "$target: its corpus could not be merged, or replays in more than ${budget}s" >&2
      failed+=("$target")
    fi
  fi
done

if ((${#failed[@]} > 0)); then
  echo "fuzz targets that failed: ${failed[*]}" >&2
  for target in "${failed[@]}"; do
    ls "$work/$target"/crash-* "$work/$target"/leak-* "$work/$target"/timeout-* "$work/$target"/oom-* 2>/dev/null >&2 || true
  done
  exit 1
fi
echo "all ${#targets[@]} fuzz target(s) ran (at most ${seconds}s each) without a failure" >&2
