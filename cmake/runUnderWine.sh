#!/bin/sh
# Runs one Windows program under wine, as CTest's emulator for cross builds:
#   runUnderWine.sh <wine prefix> <program.exe> [arguments...]
# The prefix is made on first use, a wineserver stays up between the programs of a test run,
# and wine's own diagnostics are off. Exits with 77, which the tests count as skipped, when
# wine is not installed.
set -eu

if [ $# -lt 2 ]; then
  echo "usage: $0 <wine prefix> <program.exe> [arguments...]" >&2
  exit 2
fi
prefix=$1
shift

if ! command -v wine >/dev/null 2>&1 || ! command -v wineserver >/dev/null 2>&1; then
  echo "wine is not installed: skipped" >&2
  exit 77
fi

export WINEPREFIX="$prefix"
export WINEDEBUG=-all
# No downloads of Mono or Gecko, no menu entries or file associations for the desktop.
export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=d"
export WINEARCH=win64

# Under a lock, as tests run in parallel: the prefix is made once, and a wineserver is
# started with wine's background processes. The server stays up for a minute after the last
# program ends, so that each program starts in a fraction of a second, and then exits by
# itself. None of them may hold on to the lock.
mkdir -p "$(dirname "$prefix")"
(
  flock 9
  if [ ! -f "$prefix/.quorvel-ready" ]; then
    rm -rf "$prefix"
    mkdir -p "$prefix"
    wineserver -p60 >/dev/null 2>&1 9>&- || true
    wineboot --init </dev/null >/dev/null 2>&1 9>&-
    touch "$prefix/.quorvel-ready"
  elif wineserver -p60 >/dev/null 2>&1 9>&-; then
    wineboot </dev/null >/dev/null 2>&1 9>&-
  fi
) 9>"$prefix.lock"

# Wine's background processes keep the standard error of the program that happened to start
# them open for as long as they run, and CTest would wait for them; so the program's
# standard error goes through a file and follows its standard output.
errors=$(mktemp "$prefix.stderr.XXXXXX")
status=0
wine "$@" 2>"$errors" || status=$?
cat "$errors" >&2
rm -f "$errors"
exit "$status"
