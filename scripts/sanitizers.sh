#!/usr/bin/env bash
# Builds the tree with AddressSanitizer + UndefinedBehaviorSanitizer (build-asan) and
# with ThreadSanitizer (build-tsan), then runs the whole suite under the first and the
# tests labelled "threaded" (the controller link in its own thread, its signals to the
# window, its start and stop) under the second. Any report fails the
# run: the tests stop at the first one, and every report (the simulator's included,
# which no test would see) is also written to a log file that this script checks.
# Usage: scripts/sanitizers.sh [asan] [tsan]   (both when none is named)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
supp=$root/tests/sanitizers
jobs=${JOBS:-2}
which=("$@")
((${#which[@]})) || which=(asan tsan)

# -O1 keeps the instrumented tests quick to build and to run; -g1 still names lines.
# Qt 5 only: the suppression files name Qt 5's libraries.
configure() {
  local dir=$1
  shift
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1" \
    -DORVIK_QT_MAJOR=5 -DORVIK_BUILD_BENCH=OFF "$@" >/dev/null
}

# Fails when the run left a report in the log folder, and prints it.
check_reports() {
  local logs=$1 name=$2
  if compgen -G "$logs/*" >/dev/null; then
    echo "$name: sanitizer reports:" >&2
    cat "$logs"/* >&2
    return 1
  fi
  echo "$name: no sanitizer report"
}

export QT_QPA_PLATFORM=offscreen

run_asan() {
  local dir=build-asan logs=$root/build-asan/sanitizer-logs
  configure "$dir" -DORVIK_ASAN=ON
  cmake --build "$dir" -j"$jobs"
  rm -rf "$logs" && mkdir -p "$logs"
  local ubsan="halt_on_error=1:print_stacktrace=1:suppressions=$supp/ubsan.supp"
  ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:log_path=$logs/asan" \
  LSAN_OPTIONS="suppressions=$supp/lsan.supp:print_suppressions=0" \
  UBSAN_OPTIONS="$ubsan:log_path=$logs/ubsan" \
    ctest --test-dir "$dir" --output-on-failure -j"$jobs"
  check_reports "$logs" "ASan+UBSan"
}

run_tsan() {
  local dir=build-tsan logs=$root/build-tsan/sanitizer-logs
  configure "$dir" -DORVIK_TSAN=ON
  # Only what the threaded tests need: their executables and the simulator.
  local tests
  mapfile -t tests < <(ctest --test-dir "$dir" -N -L threaded | awk '/Test +#/ {print $3}')
  ((${#tests[@]})) || { echo "no test carries the threaded label" >&2; return 1; }
  cmake --build "$dir" -j"$jobs" --target orvik-sim "${tests[@]}"
  rm -rf "$logs" && mkdir -p "$logs"
  # One test at a time: these tests pace a real line, and TSan slows the link already.
  # A longer history lets a report name both sides of a race.
  local tsan="halt_on_error=1:second_deadlock_stack=1:history_size=4"
  TSAN_OPTIONS="$tsan:suppressions=$supp/tsan.supp:log_path=$logs/tsan" \
    ctest --test-dir "$dir" --output-on-failure -L threaded
  check_reports "$logs" "TSan"
}

for s in "${which[@]}"; do
  "run_$s"
done
