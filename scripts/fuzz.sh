#!/usr/bin/env bash
# Builds the fuzzers with clang (build-fuzz) and runs each on its seed corpus in turn: the
# serial read path (fuzz_readpath), a station client's lines (fuzz_apiline) and a browser's
# request head (fuzz_httphead).
# Usage: scripts/fuzz.sh [libFuzzer options]   default: -max_total_time=60
#   -max_total_time=N is the whole run's budget, shared evenly among the targets; any other
#   option applies to each, e.g. scripts/fuzz.sh -runs=10000000
#   FUZZ_TARGETS="fuzz_apiline" scripts/fuzz.sh   runs only the targets named
# New inputs go to build-fuzz/corpus/<target> (the seeds in fuzz/corpus/<target> stay as
# committed); a crash or sanitizer report is saved under build-fuzz/artifacts/, named after
# its target, and fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
dir=build-fuzz
cxx=${FUZZ_CXX:-clang++-14}
read -ra targets <<<"${FUZZ_TARGETS:-fuzz_readpath fuzz_apiline fuzz_httphead}"
if [ -z "${FUZZ_NO_BUILD:-}" ]; then # scripts/fuzz-long.sh builds once for all its runs
  cmake -S . -B "$dir" -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1" -DORVIK_QT_MAJOR=5 -DORVIK_FUZZ=ON -DORVIK_BUILD_TESTS=OFF \
    -DORVIK_BUILD_BENCH=OFF >/dev/null
  cmake --build "$dir" -j"${JOBS:-2}" --target "${targets[@]}"
fi

args=("$@")
((${#args[@]})) || args=(-max_total_time=60)
# libFuzzer reads -max_total_time=0 as no limit, so a share is never less than a second.
for i in "${!args[@]}"; do
  if [[ ${args[i]} =~ ^-max_total_time=([0-9]+)$ ]]; then
    share=$((BASH_REMATCH[1] / ${#targets[@]}))
    args[i]=-max_total_time=$((share > 0 ? share : 1))
  fi
done
# A line is at most 256 bytes, a head 8 KiB: each target's inputs reach a little past its
# own bound.
declare -A max_len=([fuzz_readpath]=128 [fuzz_apiline]=1024 [fuzz_httphead]=9216)
mkdir -p "$dir/artifacts"
export QT_QPA_PLATFORM=offscreen
supp=$root/tests/sanitizers
export LSAN_OPTIONS="suppressions=$supp/lsan.supp:print_suppressions=0"
# Without allocation stacks ASan's store of them no longer grows with every new path
# through Qt (it grew by about 1 MB per thousand inputs); replay a saved finding with
# ASAN_OPTIONS= "$dir/fuzz/<target>" <file> to see them.
export ASAN_OPTIONS=${ASAN_OPTIONS-malloc_context_size=0}
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:suppressions=$supp/ubsan.supp"
for target in "${targets[@]}"; do
  mkdir -p "$dir/corpus/$target"
  "$dir/fuzz/$target" -print_final_stats=1 -timeout=10 -max_len="${max_len[$target]}" \
    -artifact_prefix="$root/$dir/artifacts/$target-" "${args[@]}" "$dir/corpus/$target" \
    "fuzz/corpus/$target"
done
