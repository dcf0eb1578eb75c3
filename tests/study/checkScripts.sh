#!/bin/bash
# The shell scripts that cannot run here (the SLURM cluster's) or that CI runs only in its
# package stage: each must parse (bash -n) and pass shellcheck.
#   checkScripts.sh <script>...
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/studyTestTools.sh"

command -v shellcheck >/dev/null 2>&1 || skipTest "shellcheck is not installed (Debian: shellcheck)"
failed=0
for script in "$@"; do
  if ! bash -n "$script"; then
    echo "$script does not parse"
    failed=1
  fi
  if ! shellcheck --shell=bash --external-sources "$script"; then
    failed=1
  fi
done
[[ $failed -eq 0 ]] || failTest "shellcheck or bash -n found faults"
echo "$# scripts parse and pass shellcheck"
