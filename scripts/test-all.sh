#!/usr/bin/env bash
# Builds everything and runs every test, as CI does:
#   1. the normal build and all its tests (build/);
#   2. a build with AddressSanitizer, UndefinedBehaviorSanitizer and LeakSanitizer, and all
#      its tests (build-sanitize/; the Windows tests already ran in the normal build);
#   3. every fuzz target with clang and libFuzzer for FUZZ_SECONDS each, default 20
#      (build-fuzz/; see fuzz/run-fuzzers.sh);
#   4. the packages: one Release build (build-pkg/) and the Windows cross build
#      (build-pkg-mingw/) packed into dist/ (scripts/package.sh), then installed, run and
#      removed (scripts/test-packages.sh).
# Stops at the first step that fails.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

echo "== normal build and tests" >&2
cmake -S . -B build && cmake --build build -j2 && ctest --test-dir build --output-on-failure -j2

echo "== sanitizer build and tests" >&2
cmake -S . -B build-sanitize -DQUORVEL_SANITIZE=ON -DQUORVEL_TEST_WINDOWS=OFF
cmake --build build-sanitize -j2
ctest --test-dir build-sanitize --output-on-failure -j2

echo "== fuzz targets, ${FUZZ_SECONDS:-20} s each" >&2
fuzz/run-fuzzers.sh "${FUZZ_SECONDS:-20}"

echo "== packages and their tests" >&2
scripts/package.sh
# The normal build's wine prefix is ready by now; a fresh one would take a minute to make.
if [[ -f build/windows/wineprefix/.quorvel-ready ]]; then
  export QUORVEL_WINE_PREFIX=$PWD/build/windows/wineprefix
fi
scripts/test-packages.sh
