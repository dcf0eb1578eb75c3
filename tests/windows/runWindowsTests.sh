#!/bin/sh
# Runs the tests of the Windows cross build under wine:
#   runWindowsTests.sh <cross build folder> <ctest>
# Exits with 77 (skipped) when the cross compiler or wine is missing, or when a Windows test
# skipped itself; never passes what did not run. With QUORVEL_REQUIRE_WINDOWS_TESTS set (CI),
# a missing tool is a failure instead.
set -u

build=$1
ctest=$2

skip() {
  echo "$1"
  if [ -n "${QUORVEL_REQUIRE_WINDOWS_TESTS:-}" ]; then exit 1; fi
  exit 77
}

if ! command -v x86_64-w64-mingw32-g++ >/dev/null 2>&1 &&
   ! command -v x86_64-w64-mingw32-g++-posix >/dev/null 2>&1; then
  skip "skipped: the MinGW-w64 cross compiler (x86_64-w64-mingw32-g++) is not installed"
fi
if ! command -v wine >/dev/null 2>&1 || ! command -v wineserver >/dev/null 2>&1; then
  skip "skipped: wine is not installed"
fi
if [ ! -f "$build/CTestTestfile.cmake" ]; then
  echo "no cross build in $build: reconfigure the build with the cross compiler installed"
  exit 1
fi

log="$build/windows-tests.log"
"$ctest" --test-dir "$build" --output-on-failure --no-tests=error -j2 >"$log" 2>&1
status=$?
cat "$log"

# The wineserver of this run's prefix stays up a minute otherwise.
WINEPREFIX="$build/wineprefix" wineserver -k >/dev/null 2>&1 || true

if [ "$status" -ne 0 ]; then
  exit 1
fi
if grep -q "Skipped" "$log"; then
  skip "some Windows tests skipped themselves"
fi
exit 0
