#!/usr/bin/env bash
# Builds everything and runs every test, as CI does:
#   1. the normal build and all its tests (build/);
#   2. a build with AddressSanitizer, UndefinedBehaviorSanitizer and LeakSanitizer (clang,
#      SANITIZE_CXX), and all its tests (build-sanitize/; the Windows tests and the browser's
#      look at the report page already ran in the normal build);
#   3. every fuzz target with clang and libFuzzer for FUZZ_SECONDS each, default 10, with
#      FUZZ_JOBS processes at once, default 2 (build-fuzz/; see fuzz/run-fuzzers.sh);
#   4. the packages: one Release build (build-pkg/) packed into dist/ with the Windows cross
#      build that the normal build's Windows tests ran (build/windows/; scripts/package.sh),
#      then installed, run and removed (scripts/test-packages.sh).
# Stops at the first step that fails, and says how long each step took.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

step_started=$SECONDS
step() {
  if [[ -n ${step_name:-} ]]; then
    echo "== $step_name: done in $(((SECONDS - step_started) / 60)) min $(((SECONDS - step_started) % 60)) s" >&2
  fi
  step_name=$1
  step_started=$SECONDS
  [[ -z $step_name ]] || echo "== $step_name" >&2
}

step "normal build and tests"
cmake -S . -B build && cmake --build build -j2 && ctest --test-dir build --output-on-failure -j2

step "sanitizer build and tests"
# With clang, as the fuzz targets: it builds this code about a third faster than g++, whose
# build is the normal one.
sanitize_cxx=${SANITIZE_CXX:-}
if [[ -z $sanitize_cxx ]]; then
  if command -v clang++-14 >/dev/null; then sanitize_cxx=clang++-14; else sanitize_cxx=clang++; fi
fi
cmake -S . -B build-sanitize -DCMAKE_CXX_COMPILER="$sanitize_cxx" -DQUORVEL_SANITIZE=ON -DQUORVEL_TEST_WINDOWS=OFF
cmake --build build-sanitize -j2
# The browser test only looks at a page, which the normal build's run of it checked already.
ctest --test-dir build-sanitize --output-on-failure -j2 -E '^report[.]pageInBrowser$'

step "fuzz targets, ${FUZZ_SECONDS:-10} s each with ${FUZZ_JOBS:-2} job(s)"
FUZZ_JOBS=${FUZZ_JOBS:-2} fuzz/run-fuzzers.sh "${FUZZ_SECONDS:-10}"

step "packages and their tests"
# The Windows zip is packed from the cross build whose DLL and program the Windows tests ran.
if [[ -f build/windows/CMakeCache.txt ]]; then
  export QUORVEL_WINDOWS_BUILD=$PWD/build/windows
fi
scripts/package.sh
# The normal build's wine prefix is ready by now; a fresh one would take a minute to make.
if [[ -f build/windows/wineprefix/.quorvel-ready ]]; then
  export QUORVEL_WINE_PREFIX=$PWD/build/windows/wineprefix
fi
scripts/test-packages.sh
step ""
echo "all steps passed in $((SECONDS / 60)) min $((SECONDS % 60)) s" >&2
