#!/bin/sh
# Runs morvane on a copy of the example study twice with the same answers, once as built for
# this machine and once as built for Windows (under wine), and fails unless both runs give
# the same design matrices and the same log on standard output. Windows writes text files
# with CRLF line ends, so a carriage return before a line end is dropped before comparing.
# Standard error is not compared: under wine it also carries wine's own messages.
#   compareExampleStudy.sh <morvane for this machine> <study folder> <work folder>
#                          <hrf> <value> <skip first> <z-transform> <command running morvane.exe...>
# Exits with 77 (skipped) when there is no morvane for this machine to compare with.
set -u

if [ $# -lt 8 ]; then
  echo "usage: $0 <morvane> <study> <work> <hrf> <value> <skip first> <z-transform> <windows command...>" >&2
  exit 2
fi
nativeMorvane=$1
study=$2
work=$3
hrf=$4
value=$5
skipFirst=$6
zTransform=$7
shift 7

if [ ! -x "$nativeMorvane" ]; then
  echo "skipped: no morvane for this machine at $nativeMorvane to compare with"
  exit 77
fi

runIn() {
  folder=$1
  shift
  rm -rf "$folder"
  mkdir -p "$folder"
  cp -R "$study/." "$folder/"
  (cd "$folder" && "$@" --list file-list.txt --hrf "$hrf" --value "$value" --skip-first "$skipFirst" \
      --z-transform "$zTransform" --vmr anatomy.vmr >standard-output.txt 2>standard-error.txt)
}

runIn "$work/native" "$nativeMorvane"
nativeStatus=$?
runIn "$work/windows" "$@"
windowsStatus=$?

failed=0
if [ "$nativeStatus" -ne 0 ] || [ "$windowsStatus" -ne 0 ]; then
  echo "exit status: $nativeStatus here, $windowsStatus on Windows"
  cat "$work/native/standard-error.txt" "$work/windows/standard-error.txt"
  failed=1
fi

# The same files, and among them the design matrices both runs wrote.
(cd "$work/native" && ls) >"$work/native-files.txt"
(cd "$work/windows" && ls) >"$work/windows-files.txt"
if ! cmp -s "$work/native-files.txt" "$work/windows-files.txt"; then
  echo "the runs left different files:"
  diff "$work/native-files.txt" "$work/windows-files.txt"
  failed=1
fi
written=$(cd "$work/native" && ls *.sdm | grep -c .)
original=$(cd "$study" && ls *.sdm | grep -c .)
if [ "$written" -le "$original" ]; then
  echo "the run here wrote no design matrix"
  failed=1
fi

# Text files with their line ends made alike; the VTC files, saved in place, byte for byte.
for file in $(cd "$work/native" && ls *.sdm) standard-output.txt; do
  [ -f "$work/windows/$file" ] || continue
  sed 's/\r$//' "$work/windows/$file" >"$work/windows-$file.lf"
  if ! cmp -s "$work/native/$file" "$work/windows-$file.lf"; then
    echo "$file differs between the runs:"
    diff "$work/native/$file" "$work/windows-$file.lf" | head -20
    failed=1
  fi
done
for file in $(cd "$work/native" && ls *.vtc); do
  if ! cmp -s "$work/native/$file" "$work/windows/$file"; then
    echo "$file differs between the runs"
    failed=1
  fi
done

if [ "$failed" -eq 0 ]; then
  echo "$written design matrices and the log agree ($hrf, $value, skip first $skipFirst, z-transform $zTransform)"
fi
exit "$failed"
