#!/usr/bin/env bash
# A long fuzzing run, for the record: scripts/fuzz-long.sh MINUTES [WORKERS]
# WORKERS workers (default: one per CPU) share build-fuzz/corpus/<target>. Each is a chain
# of 90-second runs of scripts/fuzz.sh, every target getting its share of each run, rather
# than one long process: under ASan a process slows as it ages (its allocator hands out
# ever colder memory; perf shows the time in ASan's Allocate), from about 700 inputs a
# second when fresh to about 300 after half an hour. On two CPUs
# 90 s processes made about 1,100 a second together, 300 s ones about 880.
# Every process's log is kept under build-fuzz/long/; at the end the executions are
# summed. A crash or sanitizer report ends that worker and fails the run; the input that
# caused it is in build-fuzz/artifacts/.
set -euo pipefail
cd "$(dirname "$0")/.."
minutes=${1:?usage: scripts/fuzz-long.sh MINUTES [WORKERS]}
workers=${2:-$(nproc)}
slice=${FUZZ_SLICE_SECONDS:-90}
logs=build-fuzz/long/$(date -u +%Y%m%d-%H%M%S)

scripts/fuzz.sh -runs=0 >/dev/null 2>&1 || { echo "fuzz-long: build or seed run failed" >&2; exit 1; }
mkdir -p "$logs"
deadline=$(($(date +%s) + minutes * 60))

worker() { # worker N: fuzz in slices until the deadline
  local n=$1 i=0 left
  while left=$((deadline - $(date +%s))) && ((left > 10)); do
    i=$((i + 1))
    FUZZ_NO_BUILD=1 scripts/fuzz.sh -max_total_time=$((left < slice ? left : slice)) \
      >"$logs/worker$n.$i.log" 2>&1 || { echo "fuzz-long: $logs/worker$n.$i.log failed" >&2; return 1; }
  done
}

pids=()
for n in $(seq "$workers"); do
  worker "$n" &
  pids+=($!)
done
failed=0
for pid in "${pids[@]}"; do wait "$pid" || failed=1; done

cat "$logs"/*.log | awk -v runs="$(ls "$logs" | wc -l)" -v minutes="$minutes" -v w="$workers" '
  /^stat::number_of_executed_units:/ { total += $2 }
  /^stat::average_exec_per_sec:/ { rate += $2; n++ }
  END { printf "fuzz-long: %d executions in %d processes (%d workers, %d min), %.0f exec/s per process on average\n",
               total, runs, w, minutes, n ? rate / n : 0 }'
((failed == 0)) && echo "fuzz-long: no crash, no sanitizer report (logs in $logs)"
exit "$failed"
