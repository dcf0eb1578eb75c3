#!/usr/bin/env bash
# The report page in a real browser: runs morvane with --report on a scratch copy of the example
# study and opens the page from disk in the system's Chromium (driven by playwright-core from
# npm, which downloads no browser), then keeps a screenshot in the work folder.
#
# Usage: run-browser-test.sh MORVANE STUDY_FOLDER WORK_FOLDER
# Exit status: 0 passed, 1 failed, 77 skipped (no chromium, node or npm package); with
# QUORVEL_REQUIRE_TOOLS=1 or QUORVEL_REQUIRE_WINDOWS_TESTS=1 a missing tool fails instead.
set -euo pipefail

morvane=$1 study=$2 work=$3
here=$(cd "$(dirname "$0")" && pwd)

skip() {
  if [[ ${QUORVEL_REQUIRE_TOOLS:-} == 1 || ${QUORVEL_REQUIRE_WINDOWS_TESTS:-} == 1 ]]; then
    echo "FAILED: $* (the browser test is required here)" >&2
    exit 1
  fi
  echo "SKIPPED: $*" >&2
  exit 77
}

export CHROMIUM=${CHROMIUM:-/usr/bin/chromium}
[[ -x $CHROMIUM ]] || skip "no Chromium at $CHROMIUM (Debian: apt-get install chromium)"
command -v node >/dev/null || skip "no node (Debian: apt-get install nodejs)"
command -v npm >/dev/null || skip "no npm (Debian: apt-get install npm)"
node_major=$(node -p 'process.versions.node.split(".")[0]')
((node_major >= 20)) || skip "node $(node --version) is older than the 20 that playwright-core needs"

# playwright-core, as the lock file names it, installed once into the work folder; the npm
# cache serves it again without the network.
npm_folder=$work/npm
mkdir -p "$npm_folder"
if ! cmp -s "$here/package-lock.json" "$npm_folder/package-lock.json" || [[ ! -d $npm_folder/node_modules/playwright-core ]]; then
  cp "$here/package.json" "$here/package-lock.json" "$npm_folder/"
  if ! (cd "$npm_folder" && PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci --prefer-offline --no-audit --no-fund --loglevel=error); then
    rm -f "$npm_folder/package-lock.json"
    skip "npm could not install playwright-core"
  fi
fi
cp "$here/reportPageTest.mjs" "$npm_folder/"

# The example study converted with the report, in a copy that the run may write into.
run=$work/study
rm -rf "$run"
mkdir -p "$run"
cp -R "$study/." "$run/"
(cd "$run" && "$morvane" --list file-list.txt --hrf two-gamma --value 1 --skip-first yes --z-transform yes \
  --vmr anatomy.vmr --report report.html >morvane.log 2>&1) || {
  cat "$run/morvane.log" >&2
  echo "FAILED: morvane did not convert the example study with its report" >&2
  exit 1
}

# The same outputs reported by `morvane report` once a design matrix is gone: a missing group.
rm "$run/run3_run3.sdm"
(cd "$run" && "$morvane" report --list file-list.txt --output missing.html >>morvane.log 2>&1) || {
  cat "$run/morvane.log" >&2
  echo "FAILED: morvane report did not report on the study with a missing design matrix" >&2
  exit 1
}
grep -q '"status": *"missing"' "$run/missing.json" || { echo "FAILED: no missing group in missing.json" >&2; exit 1; }

cd "$npm_folder"
status=0
node reportPageTest.mjs "$run/report.html" "$work/report-page.png" || status=1
node reportPageTest.mjs "$run/missing.html" "$work/report-page-missing.png" || status=1
exit "$status"
