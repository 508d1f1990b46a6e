#!/bin/sh
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer)
# in build/fuzz and runs each for the given time. Usage: scripts/fuzz.sh [seconds] [target...]
# Targets: reception convert_profile transfer profile_viewer number_text startup_settings
# stored_dive
# (default all).
# The committed seeds in fuzz/corpus/<target> are only read; what the fuzzer finds new goes
# to build/fuzz/corpus/<target>, a finding's input to build/fuzz/findings/<target>/.
# RUNS=n runs each target n executions instead of a time. SANITIZERS=undefined builds without
# AddressSanitizer (in build/fuzz-undefined): nearly twice as fast, for depth; memory
# faults are then caught only by the default build.
set -eu
cd "$(dirname "$0")/.."
SECONDS_EACH="${1:-10}"
if [ "$#" -gt 0 ]; then shift; fi
TARGETS="${*:-reception convert_profile transfer profile_viewer number_text startup_settings stored_dive}"
SANITIZERS="${SANITIZERS:-address,undefined}"
if [ "$SANITIZERS" = "address,undefined" ]; then default_build=build/fuzz
else default_build="build/fuzz-$(echo "$SANITIZERS" | tr , -)"; fi
BUILD="${FUZZ_BUILD:-$default_build}"
JOBS="${JOBS:-$(nproc)}"

CC=clang CXX=clang++ cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DVYPER_FUZZ=ON -DVYPER_FUZZ_SANITIZERS="$SANITIZERS" -DVYPER_BUILD_TESTS=OFF >/dev/null
cmake --build "$BUILD" -j "$JOBS" --target vyper_fuzzers

export QT_QPA_PLATFORM=offscreen
# Without the allocation stacks that AddressSanitizer records for every allocation (most of
# the time of an input otherwise); to see them for a finding, run its input again without it.
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:malloc_context_size=0"
export LSAN_OPTIONS="suppressions=$(pwd)/scripts/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

failed=""
for t in $TARGETS; do
  case "$t" in
    reception) max_len=1024 ;;
    convert_profile|transfer) max_len=2048 ;;
    profile_viewer|stored_dive) max_len=8192 ;;
    *) max_len=4096 ;;
  esac
  work="$BUILD/corpus/$t"
  findings="$BUILD/findings/$t"
  log="$BUILD/logs/$t.log"
  mkdir -p "$work" "$findings" "$(dirname "$log")"
  if [ -n "${RUNS:-}" ]; then limit="-runs=$RUNS"; else limit="-max_total_time=$SECONDS_EACH"; fi
  # Slow inputs (a dive of thousands of samples) are picked less often, so that a few of them
  # in the corpus do not take most of the time.
  if "$BUILD/fuzz/fuzz_$t" "$limit" -timeout=10 -rss_limit_mb=2048 -entropic_scale_per_exec_time=1 \
      -max_len="$max_len" -print_final_stats=1 -artifact_prefix="$findings/" \
      "$work" "fuzz/corpus/$t" >"$log" 2>&1; then
    runs=$(sed -n 's/^Done \([0-9]*\) runs in \([0-9]*\) second.*/\1 executions in \2 s/p' "$log" | tail -n 1)
    echo "fuzz_$t: ${runs:-no summary}, no finding"
  else
    echo "fuzz_$t: FINDING (log: $log, input in $findings/)"
    grep -E "ERROR|runtime error|fuzz finding|SUMMARY" "$log" | head -n 5 || true
    failed="$failed $t"
  fi
done
if [ -n "$failed" ]; then
  echo "Fuzz findings in:$failed" >&2
  exit 1
fi
