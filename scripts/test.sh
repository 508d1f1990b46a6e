#!/bin/sh
# Installs what is missing (scripts/install-deps.sh), builds the program and runs every test twice: a normal build, then a build with
# AddressSanitizer and UndefinedBehaviorSanitizer; then runs every fuzz target briefly; then
# builds the Debian package and checks it (tests/package_test.sh).
# Usage: scripts/test.sh (FUZZ_SECONDS sets the fuzz time per target, default 10)
set -eu
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
JOBS="${JOBS:-$(nproc)}"

run_suite() {
  dir="$1"; shift
  cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
  cmake --build "$dir" -j "$JOBS"
  (cd "$dir" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$JOBS")
}

echo "== Tests (debug build) =="
run_suite build/test -DCMAKE_BUILD_TYPE=Debug

echo "== Tests (address and undefined-behaviour sanitizers) =="
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export LSAN_OPTIONS="suppressions=$(pwd)/scripts/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
run_suite build/sanitize -DCMAKE_BUILD_TYPE=Debug -DVYPER_SANITIZE=ON

echo "== Fuzzing (a short run of every target) =="
./scripts/fuzz.sh "${FUZZ_SECONDS:-10}"

echo "== Debian package (build, lintian, appstreamcli, man pages, install) =="
deb="$(./scripts/package.sh)"
tests/package_test.sh "$deb"
