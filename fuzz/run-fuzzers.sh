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
# fuzzing processes per target, default 1), FUZZ_OPTIONS (more libFuzzer options).
# Exits 1 when any target failed; the inputs that broke it are listed at the end.
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
seconds=${1:-30}
if (($# > 0)); then shift; fi
build=$(realpath -m "${BUILD_DIR:-$repo/build-fuzz}")
work=$(realpath -m "${WORK_DIR:-$repo/scratch/fuzz}")
jobs=${FUZZ_JOBS:-1}
compiler=${FUZZ_CXX:-}
if [[ -z $compiler ]]; then
  if command -v clang++-14 >/dev/null; then compiler=clang++-14; else compiler=clang++; fi
fi

cmake -S "$repo" -B "$build" -DCMAKE_CXX_COMPILER="$compiler" -DQUORVEL_BUILD_FUZZERS=ON \
      -DQUORVEL_BUILD_TESTS=OFF -DQUORVEL_BUILD_HEADLESS=ON >/dev/null
cmake --build "$build" --target quorvel_fuzzers -j2

if (($# > 0)); then
  targets=("$@")
else
  # The one list of targets, in fuzz/fuzzTargets.cmake.
  mapfile -t targets < <(sed -n '/^set(quorvel_fuzz_targets/,/^)/{/^  /s/^  //p}' "$repo/fuzz/fuzzTargets.cmake")
fi

parallel=()
# Several jobs write their logs to fuzz-N.log in the target's work folder.
if ((jobs > 1)); then parallel=(-jobs="$jobs" -workers="$jobs"); fi

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
    grep -E "^stat::(number_of_executed_units|new_units_added)" "$work/$target/log.txt" | tr '\n' ' ' >&2 || true
    echo >&2
  fi
done

if ((${#failed[@]} > 0)); then
  echo "fuzz targets that failed: ${failed[*]}" >&2
  for target in "${failed[@]}"; do
    ls "$work/$target"/crash-* "$work/$target"/leak-* "$work/$target"/timeout-* "$work/$target"/oom-* 2>/dev/null >&2 || true
  done
  exit 1
fi
echo "all ${#targets[@]} fuzz target(s) ran ${seconds}s each without a failure" >&2
