#!/usr/bin/env bash
# Builds the read-path fuzzer with clang (build-fuzz) and runs it on the seed corpus.
# Usage: scripts/fuzz.sh [libFuzzer options]   default: -max_total_time=60
#   e.g. scripts/fuzz.sh -runs=10000000
# New inputs go to build-fuzz/corpus (the seeds in fuzz/corpus stay as committed); a
# crash or sanitizer report is saved under build-fuzz/artifacts/ and fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
dir=build-fuzz
cxx=${FUZZ_CXX:-clang++-14}
if [ -z "${FUZZ_NO_BUILD:-}" ]; then # scripts/fuzz-long.sh builds once for all its runs
  cmake -S . -B "$dir" -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1" -DORVIK_QT_MAJOR=5 -DORVIK_FUZZ=ON -DORVIK_BUILD_TESTS=OFF \
    -DORVIK_BUILD_BENCH=OFF >/dev/null
  cmake --build "$dir" -j"${JOBS:-2}" --target fuzz_readpath
fi

args=("$@")
((${#args[@]})) || args=(-max_total_time=60)
mkdir -p "$dir/corpus" "$dir/artifacts"
export QT_QPA_PLATFORM=offscreen
supp=$root/tests/sanitizers
export LSAN_OPTIONS="suppressions=$supp/lsan.supp:print_suppressions=0"
# Without allocation stacks ASan's store of them no longer grows with every new path
# through Qt (it grew by about 1 MB per thousand inputs); replay a saved finding with
# ASAN_OPTIONS= "$dir/fuzz/fuzz_readpath" <file> to see them.
export ASAN_OPTIONS=${ASAN_OPTIONS-malloc_context_size=0}
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:suppressions=$supp/ubsan.supp"
"$dir/fuzz/fuzz_readpath" -print_final_stats=1 -timeout=10 -max_len=128 \
  -artifact_prefix="$root/$dir/artifacts/" "${args[@]}" "$dir/corpus" fuzz/corpus
