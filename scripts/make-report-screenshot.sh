#!/usr/bin/env bash
# Regenerates the README's picture of the report page, docs/report-screenshot.png: builds
# morvane, converts a scratch copy of the example study with --report, and photographs the top
# of the page in the system's Chromium (playwright-core from npm, no browser download).
# Folders: BUILD_DIR (default: build), SCRATCH_DIR (default: scratch/report-screenshot).
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$repo/build}
scratch=${SCRATCH_DIR:-$repo/scratch/report-screenshot}
output=$repo/docs/report-screenshot.png

cmake -S "$repo" -B "$build" >/dev/null
cmake --build "$build" --target morvane quorvel -j2 >/dev/null

rm -rf "$scratch"
mkdir -p "$scratch/study" "$scratch/npm"
cp -R "$repo/examples/study/." "$scratch/study/"
cp "$repo/tests/browser/package.json" "$repo/tests/browser/package-lock.json" "$repo/tests/browser/screenshot.mjs" "$scratch/npm/"
(cd "$scratch/npm" && PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci --prefer-offline --no-audit --no-fund --loglevel=error)

(cd "$scratch/study" && "$build/bin/morvane" --list file-list.txt --hrf two-gamma --value 1 --skip-first yes \
  --z-transform yes --vmr anatomy.vmr --report report.html >morvane.log)

mkdir -p "$repo/docs"
(cd "$scratch/npm" && node screenshot.mjs "$scratch/study/report.html" "$output" 1280 1180)
echo "wrote $output ($(wc -c <"$output") bytes)"
