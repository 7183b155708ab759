#!/usr/bin/env bash
# Runs fuzz drivers one after another, each to RUNS executions or SECONDS,
# starting from its stored corpus (fuzz/corpus/DRIVER) and any seed folder
# given, then folds what it found back into that corpus, minimised.
#
#   fuzz/run-drivers.sh [-s SEEDS_ROOT] DRIVER:SECONDS ...
#
# SEEDS_ROOT/DRIVER, when it exists, is read as extra seeds. Environment:
#   RUNS        executions per driver (default 10000000)
#   BUILD       the clang build of fuzz/ (default build-fuzz at the top)
#   WORK        scratch folder for new inputs and logs (default /tmp/vode-fuzz)
#   MAX_LEN     longest input libFuzzer makes (default 8192)
# Each driver's log ends with libFuzzer's "Done N runs" line and its coverage.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(dirname "$here")"
RUNS="${RUNS:-10000000}"
BUILD="${BUILD:-$root/build-fuzz}"
WORK="${WORK:-/tmp/vode-fuzz}"
MAX_LEN="${MAX_LEN:-8192}"
seeds=""
if [[ "${1:-}" == "-s" ]]; then seeds="$2"; shift 2; fi
[[ $# -gt 0 ]] || { sed -n '2,13p' "$0"; exit 2; }

# A folder of copied binaries (a long campaign while the sources change) is
# used as it is.
if [[ ! -d "$BUILD" ]]; then
  CXX=clang++ cmake -S "$here" -B "$BUILD" -G Ninja
fi
if [[ -f "$BUILD/build.ninja" ]]; then cmake --build "$BUILD" -j2; fi

for item in "$@"; do
  driver="${item%%:*}"
  seconds="${item#*:}"
  bin="$BUILD/fuzz_$driver"
  corpus="$here/corpus/$driver"
  new="$WORK/new/$driver"
  mkdir -p "$corpus" "$new" "$WORK/logs"
  inputs=("$new" "$corpus")
  [[ -n "$seeds" && -d "$seeds/$driver" ]] && inputs+=("$seeds/$driver")
  log="$WORK/logs/$driver.log"
  echo "== $driver: up to $RUNS runs or $seconds s ($(date +%T))"
  # A crash stops the driver and leaves crash-* in WORK; the others still run.
  (cd "$WORK" && "$bin" "${inputs[@]}" -runs="$RUNS" -max_total_time="$seconds" -max_len="$MAX_LEN" \
      -rss_limit_mb=2048 -timeout=10 -print_final_stats=1) >"$log" 2>&1 || echo "   $driver stopped: see $log"
  grep -E "^#[0-9]+.*(DONE|cov:)" "$log" | tail -1 || true
  grep -E "^Done|stat::number_of_executed_units" "$log" | tail -2 || true
  # Keep only the inputs that add coverage.
  merged="$WORK/merged/$driver"
  rm -rf "$merged" && mkdir -p "$merged"
  "$bin" -merge=1 "$merged" "${inputs[@]}" >"$WORK/logs/$driver.merge.log" 2>&1
  rm -rf "$corpus" && mkdir -p "$corpus" && cp "$merged"/* "$corpus"/ 2>/dev/null || true
  echo "   corpus: $(ls "$corpus" | wc -l) files, $(du -sk "$corpus" | cut -f1) KiB"
done
