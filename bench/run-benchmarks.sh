#!/usr/bin/env bash
# Builds the benchmarks in Release, runs them, and prints each figure beside its target:
#
#   bench/run-benchmarks.sh [--quick]
#
# The micro-benchmarks run five times each and report the median of their CPU time (the
# figures of a machine shared with other work then stay comparable). The whole batch
# (10 runs with 100 MB VTCs) is timed on the wall clock, until its data are on disk, against
# `cp --reflink=never` of the same VTCs followed by a sync, and beside a program that only
# rewrites the VTC headers and copies the data the way morvane saves them; the rounds
# alternate and the medians are compared. Peak memory is morvane's maximum resident set size, also with a
# 1 GB VTC. --quick runs one round of the batch and skips the 1 GB VTC. The exit status is 1
# when a target was missed.
#
# Folders (override by environment): BUILD_DIR (default build-bench), SCRATCH_DIR (default
# scratch/bench, removed at the end). ROUNDS sets the batch rounds (default 3).
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${BUILD_DIR:-$repo/build-bench}
scratch=${SCRATCH_DIR:-$repo/scratch/bench}
rounds=${ROUNDS:-3}
quick=no
if [[ ${1:-} == --quick ]]; then quick=yes; rounds=1; fi

# Google Benchmark comes from Debian's package.
if ! dpkg-query -W -f='${Status}' libbenchmark-dev 2>/dev/null | grep -q "install ok installed"; then
  sudo_prefix=()
  if [[ $(id -u) -ne 0 ]]; then sudo_prefix=(sudo); fi
  DEBIAN_FRONTEND=noninteractive "${sudo_prefix[@]}" apt-get install -y -qq --no-install-recommends libbenchmark-dev </dev/null
fi

mkdir -p "$build"
if ! { cmake -S "$repo" -B "$build" -DCMAKE_BUILD_TYPE=Release -DQUORVEL_BUILD_BENCHMARKS=ON -DQUORVEL_BUILD_TESTS=OFF &&
  cmake --build "$build" -j2 --target quorvel_bench_confounds morvane_bench_convolution quorvel_bench_make_study \
    quorvel_bench_minimal_rewrite morvane_bench_confound_models morvane_bench_bids morvane_bench_report_page \
    morvane_bench_report morvane quorvel; } >"$build/bench-build.log" 2>&1; then
  echo "run-benchmarks: the build failed; see $build/bench-build.log" >&2
  exit 2
fi
bin=$build/bin

# The study, the copies and the 1 GB VTC need about 4.5 GB.
mkdir -p "$scratch"
trap 'rm -rf "$scratch"' EXIT
available_kb=$(df -Pk "$scratch" | awk 'NR == 2 { print $4 }')
if ((available_kb < 6 * 1024 * 1024)); then
  echo "run-benchmarks: $scratch has less than 6 GB free" >&2
  exit 1
fi
export QUORVEL_BENCH_SCRATCH=$scratch

# ---------------------------------------------------------------- the micro-benchmarks

results=$scratch/results.csv
: >"$results"
for program in quorvel_bench_confounds morvane_bench_convolution morvane_bench_confound_models morvane_bench_bids \
  morvane_bench_report_page morvane_bench_report; do
  "$bin/$program" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
    --benchmark_format=csv 2>/dev/null | grep '_median"' >>"$results"
done

# The median row of a benchmark: field 4 is the CPU time, 5 its unit, 6 the bytes per second.
field() { awk -F, -v name="\"$1_median\"" -v column="$2" '$1 == name { print $column }' "$results"; }
milliseconds() {
  awk -F, -v name="\"$1_median\"" '$1 == name {
      factor = $5 == "ns" ? 1e-6 : $5 == "us" ? 1e-3 : $5 == "s" ? 1e3 : 1
      printf "%.3f", $4 * factor }' "$results"
}
megabytes() { awk -v rate="$(field "$1" 6)" 'BEGIN { printf "%.0f", rate / 1e6 }'; }
# The wall-clock time (field 3) of a benchmark timed in real time.
wallMilliseconds() {
  awk -F, -v name="\"$1_median\"" '$1 == name {
      factor = $5 == "ns" ? 1e-6 : $5 == "us" ? 1e-3 : $5 == "s" ? 1e3 : 1
      printf "%.3f", $3 * factor }' "$results"
}

failed=0
# figure, measured, unit, comparison (ge or le), target
report() {
  local verdict=ok
  if ! awk -v m="$2" -v t="$5" -v c="$4" 'BEGIN { exit !((c == "ge" && m >= t) || (c == "le" && m <= t)) }'; then
    verdict=MISSED
    failed=1
  fi
  local sign='>='
  [[ $4 == le ]] && sign='<='
  printf '%-52s %9s %-5s target %s %s %-5s %s\n' "$1" "$2" "$3" "$sign" "$5" "$3" "$verdict"
}
note() { printf '%-52s %9s %-5s\n' "$1" "$2" "$3"; }

echo
echo "Machine: $(nproc) cores, $(lscpu | sed -n 's/^Model name: *//p' | head -1), $(free -g | awk '/^Mem:/ { print $2 }') GiB"
echo
echo "Confound readers (CPU time, median of 5)"
report "RTC, 200,000 rows x 4, from its file" "$(megabytes readRtcFile)" MB/s ge 400
report "SDM, 200,000 rows x 5, from its file" "$(megabytes readSdmFile)" MB/s ge 400
report "motion SDM, 200,000 rows, touching fields" "$(megabytes readMotionSdm/200000)" MB/s ge 400
note "  RTC, 2,000 rows, from memory" "$(megabytes readRtc/2000)" MB/s
note "  for comparison: std::istream extraction" "$(megabytes streamExtractionBaseline)" MB/s
echo
echo "Confound writer"
report "extended SDM, 200,000 rows, file to file" "$(megabytes writeExtendedDesignMatrixFile/200000)" MB/s ge 150
report "extended SDM, 2,000 rows, file to file" "$(megabytes writeExtendedDesignMatrixFile/2000)" MB/s ge 150
note "  the merge alone, 200,000 rows, in memory" "$(megabytes mergeInMemory/200000)" MB/s
note "  default notation alone" "$(megabytes formatDefaultNotation)" MB/s
note "  \"%4.6lf\" alone" "$(megabytes formatFixedSixDecimals)" MB/s
note "  for comparison: std::ostream insertion" "$(megabytes streamInsertionBaseline)" MB/s
note "  for comparison: snprintf \"%g\"" "$(megabytes printfBaseline/0)" MB/s
echo
echo "One protocol group, one batch step"
report "confound stage of a group (2,000 x 40, z)" "$(milliseconds confoundStageOneGroup/1/0)" ms le 5
note "  the same writing a new file, not replacing one" "$(milliseconds confoundStageOneGroup/1/1)" ms
note "  the same without z-transform" "$(milliseconds confoundStageOneGroup/0/0)" ms
note "  file list of 1,000 groups, read and classified" "$(milliseconds readFileListOfThousandGroups)" ms
for variant in 0/0 1/0 0/1 1/1; do
  case $variant in
    0/0) label="volumes, two-gamma" ;;
    1/0) label="msec, two-gamma" ;;
    0/1) label="volumes, Boynton" ;;
    1/1) label="msec, Boynton" ;;
  esac
  report "convolution 40 x 100 events, 2,000 vols, $label" "$(milliseconds "convolveConditions/$variant")" ms le 5
done
note "  predictors set from the protocol and convolved" "$(milliseconds predictorsFromProtocol)" ms
note "  the host's design matrix with its SDM text" "$(milliseconds designMatrixText)" ms
report "confound model of a group (24P, spikes, 2,000 x 40, z)" "$(milliseconds confoundModelOneGroup/0)" ms le 5
note "  the same writing a new file, not replacing one" "$(milliseconds confoundModelOneGroup/1)" ms
note "  its columns in memory / its SDM text alone" \
  "$(milliseconds confoundModelInMemory) / $(milliseconds confoundModelText)" ms
echo
echo "BIDS imports, file to file: read, converted, written atomically to disk (CPU time)"
report "events table, 100,000 rows, to a protocol" "$(milliseconds importEventsFileToFile/real_time)" ms le 50
report "confound table, 2,000 rows x 300, to a motion file" "$(milliseconds importConfoundsFileToFile/real_time)" ms le 50
note "  the same two on the wall clock (with the fsync)" \
  "$(wallMilliseconds importEventsFileToFile/real_time) / $(wallMilliseconds importConfoundsFileToFile/real_time)" ms
note "  table reader alone, events / confounds" "$(megabytes readTable/events) / $(megabytes readTable/confounds)" MB/s
note "  events to protocol / its text, from memory" \
  "$(milliseconds eventsToProtocol) / $(milliseconds protocolTextOfEvents)" ms
echo
echo "The report's page (random 2,000 x 40 design matrices: the hardest cells to compress)"
note "pictures of one group: design matrix, heat map, FD" "$(milliseconds drawRunPicturesOfOneGroup)" ms
note "pictures and page of 100 groups" "$(milliseconds reportPageOfHundredGroups)" ms
QUORVEL_BENCH_PAGE=$scratch/report-page.html "$bin/morvane_bench_report_page"
report "page of 100 groups" "$(awk -v b="$(wc -c <"$scratch/report-page.html")" 'BEGIN { printf "%.1f", b / 1e6 }')" MB le 20
rm -f "$scratch/report-page.html"
echo
echo "The report's figures (2,000 x 40 design matrices with a motion file each)"
report "figures of a group: files read, r, VIF, rank, FD" "$(milliseconds reportFiguresOfOneGroup)" ms le 10
note "  correlation, VIF, rank, condition number alone" "$(milliseconds matrixFiguresAlone)" ms
report "report of 100 groups: read, figures, page, JSON" \
  "$(wallMilliseconds reportOfHundredGroups/iterations:1/real_time)" ms le 2000

# ---------------------------------------------------------------- the whole batch

now() { date +%s.%N; }
seconds() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", b - a }'; }
median() { tr ' ' '\n' | grep . | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# morvane on the list in FOLDER, with any further options, until its data are on disk: sets
# morvane_seconds and morvane_kb (peak memory); its log and messages go to NAME.log and NAME.err.
time_morvane() {
  local folder=$1 name=$2 start
  shift 2
  start=$(now)
  (cd "$folder" && /usr/bin/time -f %M -o "$scratch/memory" "$bin/morvane" --list file-list.txt "${answers[@]}" "$@" \
    >"$scratch/$name.log" 2>"$scratch/$name.err") || {
    echo "run-benchmarks: morvane failed in $folder; see below" >&2
    cat "$scratch/$name.err" >&2
    exit 1
  }
  sync -f "$folder"
  morvane_seconds=$(seconds "$start" "$(now)")
  morvane_kb=$(cat "$scratch/memory")
}

study=$scratch/study
"$bin/quorvel_bench_make_study" "$study" 10 100
copies=$scratch/copies
answers=(--hrf two-gamma --value 1 --skip-first yes --z-transform yes)
copy_times=()
minimal_times=()
batch_times=()
batch_memory=()
report_times=()
sync
for ((round = 1; round <= rounds; round++)); do
  rm -rf "$copies" && mkdir -p "$copies" && sync
  start=$(now)
  cp --reflink=never "$study"/*.vtc "$copies"/
  sync -f "$copies"
  copy_times+=("$(seconds "$start" "$(now)")")
  rm -rf "$copies" && sync

  # The reference: only the VTC headers rewritten and the data copied, as morvane saves them.
  start=$(now)
  "$bin/quorvel_bench_minimal_rewrite" reference.prt "$study"/*.vtc
  sync -f "$study"
  minimal_times+=("$(seconds "$start" "$(now)")")
  sync

  time_morvane "$study" batch
  batch_times+=("$morvane_seconds")
  batch_memory+=("$morvane_kb")
  sync

  # The same with the report of its 10 groups after the run.
  time_morvane "$study" report --report "$scratch/report.html"
  report_times+=("$morvane_seconds")
  sync
done
copy_median=$(echo "${copy_times[*]}" | median)
minimal_median=$(echo "${minimal_times[*]}" | median)
batch_median=$(echo "${batch_times[*]}" | median)
report_median=$(echo "${report_times[*]}" | median)
ratio=$(awk -v b="$batch_median" -v c="$copy_median" 'BEGIN { printf "%.2f", b / c }')
peak_kb=$(printf '%s\n' "${batch_memory[@]}" | sort -n | tail -1)
echo
echo "Whole batch: 10 runs, 100 MB VTCs, confounds (wall clock until on disk, median of $rounds)"
echo "  rounds of cp: ${copy_times[*]} s; of the header rewrite: ${minimal_times[*]} s; of morvane: ${batch_times[*]} s"
note "  cp --reflink=never of the VTCs + sync" "$copy_median" s
note "  VTC headers rewritten, data copied, files replaced" "$minimal_median" s
note "  morvane on the list + sync" "$batch_median" s
note "  header rewrite time / copy time" "$(awk -v m="$minimal_median" -v c="$copy_median" 'BEGIN { printf "%.2f", m / c }')" x
report "batch time / copy time" "$ratio" x le 1.3
echo "  rounds of morvane --report: ${report_times[*]} s"
note "  morvane on the list with --report + sync" "$report_median" s
report "batch time with --report / without" \
  "$(awk -v r="$report_median" -v b="$batch_median" 'BEGIN { printf "%.2f", r / b }')" x le 1.1
report "peak memory of morvane, 100 MB VTCs" "$(awk -v k="$peak_kb" 'BEGIN { printf "%.1f", k / 1024 }')" MiB le 32
rm -rf "$study" "$copies"

if [[ $quick == no ]]; then
  large=$scratch/large
  "$bin/quorvel_bench_make_study" "$large" 1 1000
  sync
  time_morvane "$large" large
  note "  morvane on one run with a 1 GB VTC + sync" "$morvane_seconds" s
  report "peak memory of morvane, 1 GB VTC" "$(awk -v k="$morvane_kb" 'BEGIN { printf "%.1f", k / 1024 }')" MiB le 32
  rm -rf "$large"
fi

echo
if ((failed)); then
  echo "Some targets were missed."
  exit 1
fi
echo "Every target was met."
