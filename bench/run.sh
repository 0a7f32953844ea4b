#!/usr/bin/env bash
# The benchmarks in one command: installs what is missing, builds what is out of date,
# runs the panel against the controller simulator (offscreen platform), the real panel
# binary under Xvfb and orvik-station with its clients against the simulator, prints one
# table and writes it, with the machine it ran on, into docs/PERFORMANCE.md (between the
# "bench/run.sh" markers; the rest of the file is left alone).
#
#   bench/run.sh                 default run, about half an hour
#   bench/run.sh --long          longer phases and more samples (well over an hour)
#   bench/run.sh --soak MINUTES  the memory soak only (at least 30 for the record)
#   bench/run.sh --no-doc ...    print only, leave docs/PERFORMANCE.md alone
#   --seconds N --presses N --runs N --idle N  set one figure's sample size
#   --line-seconds N --connects N --noise-minutes N  the same for bench_realline
#     (--noise-minutes 10 for the record of memory under noise; 0 leaves it out)
#   --follow-minutes N  the length of bench_follow's drill (default 2, 10 for the
#     record; 0 leaves bench_follow out)
#
# BUILD_DIR picks the build folder (default build/, shared with scripts/build.sh).
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=30 presses=200 runs=10 idle=20 soak=0 doc=1 mode=default
line_seconds=10 connects=20 noise_minutes=2 follow_minutes=2
invoked="$*"
while (($#)); do
  case "$1" in
    --long) seconds=90 presses=400 runs=20 idle=30 mode=long
            line_seconds=30 noise_minutes=10 follow_minutes=10 ;;
    --soak) soak=${2:?minutes}; shift ;;
    --no-doc) doc=0 ;;
    --seconds) seconds=${2:?}; shift ;;
    --presses) presses=${2:?}; shift ;;
    --runs) runs=${2:?}; shift ;;
    --idle) idle=${2:?}; shift ;;
    --line-seconds) line_seconds=${2:?}; shift ;;
    --connects) connects=${2:?}; shift ;;
    --noise-minutes) noise_minutes=${2:?}; shift ;;
    --follow-minutes) follow_minutes=${2:?}; shift ;;
    *) echo "usage: bench/run.sh [--long] [--soak MINUTES] [--no-doc]" \
            "[--seconds|--presses|--runs|--idle N]" \
            "[--line-seconds|--connects|--noise-minutes N]" >&2
       exit 2 ;;
  esac
  shift
done

scripts/deps.sh
build_dir=${BUILD_DIR:-build}
if [ ! -f "$build_dir/CMakeCache.txt" ]; then
  cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo} >/dev/null
fi
cmake --build "$build_dir" -j"${BUILD_JOBS:-2}" \
  --target bench_link bench_soak bench_startup bench_realline bench_follow bench_hostile \
  bench_station bench_remote orvik-sim orvik-panel orvik-station \
  >/dev/null
build_type=$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$build_dir/CMakeCache.txt")
qt_major=$(sed -n 's/^ORVIK_QT_MAJOR:[A-Z]*=//p' "$build_dir/CMakeCache.txt")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

replace_block() { # replace_block NAME FILE: put FILE between the NAME markers of the doc
  local begin="<!-- bench/run.sh $1 begin -->" end="<!-- bench/run.sh $1 end -->"
  local out=docs/PERFORMANCE.md
  [ -f "$out" ] || printf '# Performance\n' >"$out"
  grep -qF "$begin" "$out" || printf '\n%s\n%s\n' "$begin" "$end" >>"$out"
  awk -v b="$begin" -v e="$end" -v f="$2" '
    $0 == b { print; while ((getline line < f) > 0) print line; skip = 1; next }
    $0 == e { skip = 0 }
    !skip { print }' "$out" >"$work/doc" && cat "$work/doc" >"$out"
}

machine() {
  echo "- when: $(date -u '+%Y-%m-%d %H:%M UTC'), commit $(git rev-parse --short HEAD)$(
    git diff --quiet HEAD -- src bench sim || echo ' plus uncommitted changes')"
  echo "- machine: $(nproc) CPUs, $(lscpu | sed -n 's/^Model name: *//p' | head -1)," \
       "$(awk '/MemTotal/ {printf "%.1f GiB", $2/1048576}' /proc/meminfo)"
  echo "- kernel $(uname -r); Qt $(pkg-config --modversion "Qt${qt_major:-5}Core" 2>/dev/null || echo '?');" \
       "build type $build_type"
  echo "- load average $1: $(cut -d' ' -f1-3 /proc/loadavg)"
}

if ((soak > 0)); then
  echo "Soak: $soak minutes (samples in $work/soak.tsv) ..."
  {
    echo "Soak ($soak min), \`bench/run.sh --soak $soak\`:"
    echo
    machine "at the start"
    QT_QPA_PLATFORM=offscreen "$build_dir/bench/bench_soak" "$soak" --out "$work/soak.tsv" \
      2>/dev/null | sed -n 's/^  */    /; /^bench_soak: [0-9]* TX/,$p'
    machine "at the end" | tail -1
  } | tee "$work/soak.md"
  ((doc)) && replace_block soak "$work/soak.md"
  exit 0
fi

echo "Benchmarks ($mode run): $seconds s per CPU phase, $presses presses, $runs start-ups" \
     "-- load average now $(cut -d' ' -f1-3 /proc/loadavg)"
machine "at the start" >"$work/machine-start"
QT_QPA_PLATFORM=offscreen "$build_dir/bench/bench_link" "$seconds" --presses "$presses" \
  2>"$work/bench_link.log" >"$work/link.md" || { cat "$work/bench_link.log" >&2; exit 1; }
Xvfb -displayfd 3 -screen 0 1280x1024x24 -dpi 96 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb=$!
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
DISPLAY=:$(cat "$work/display") "$build_dir/bench/bench_startup" --runs "$runs" --idle "$idle" \
  >"$work/startup.md" || true
kill "$xvfb"; wait "$xvfb" 2>/dev/null || true
# After the others, never beside them: its stalls and its minutes of noise would
# otherwise show in their timing.
echo "Real lines: $line_seconds s of answers and $connects connects per condition," \
     "then $noise_minutes min of noise after 60 s connected ..."
QT_QPA_PLATFORM=offscreen "$build_dir/bench/bench_realline" --seconds "$line_seconds" \
  --connects "$connects" --noise-minutes "$noise_minutes" \
  2>"$work/bench_realline.log" >"$work/realline.md" \
  || { cat "$work/bench_realline.log" >&2; exit 1; }
if [ "$follow_minutes" != 0 ]; then
  echo "Following the radio: 100 band changes at rigctld, $seconds s of CPU each way," \
       "then a $follow_minutes min drill ..."
  QT_QPA_PLATFORM=offscreen "$build_dir/bench/bench_follow" --changes 100 \
    --cpu-seconds "$seconds" --drill-minutes "$follow_minutes" \
    2>"$work/bench_follow.log" >"$work/follow.md" \
    || { cat "$work/bench_follow.log" "$work/follow.md" >&2; exit 1; }
  echo "Following under hostile inputs: band flips, an N1MM flood, a streaming rigctld ..."
  QT_QPA_PLATFORM=offscreen "$build_dir/bench/bench_hostile" --seconds 10 \
    2>"$work/bench_hostile.log" >"$work/hostile.md" \
    || { cat "$work/bench_hostile.log" "$work/hostile.md" >&2; exit 1; }
fi
echo "The station: 50 changes to 32 subscribers, $seconds s of CPU with 8 idle ones," \
     "1000 connect-auth-close cycles ..."
"$build_dir/bench/bench_station" --changes 50 --seconds "$seconds" --cycles 1000 \
  2>"$work/bench_station.log" >"$work/station.md" \
  || { cat "$work/bench_station.log" "$work/station.md" >&2; exit 1; }
echo "The panel served by the station against the panel on the port: $presses presses each ..."
QT_QPA_PLATFORM=offscreen "$build_dir/bench/bench_remote" --presses "$presses" \
  2>"$work/bench_remote.log" >"$work/remote.md" \
  || { cat "$work/bench_remote.log" "$work/remote.md" >&2; exit 1; }
echo "The station's web page in chromium: 100 clicks ..."
ORVIK_SIM="$build_dir/sim/orvik-sim" ORVIK_STATION="$build_dir/src/orvik-station" \
  /usr/bin/python3 tests/web/tst_webpage.py --clicks 100 2>/dev/null | grep '^|' >"$work/web.md" \
  || echo "| Web page key click to select on the wire | no browser here | |" >"$work/web.md"
{
  echo "Produced by \`bench/run.sh${invoked:+ $invoked}\`" \
       "($seconds s per CPU phase, $presses presses, $runs start-ups, ${idle} s idle for memory;" \
       "real lines: $line_seconds s of answers and $connects connects per condition," \
       "$noise_minutes min of noise after 60 s connected):"
  echo
  cat "$work/machine-start"
  machine "at the end" | tail -1
  echo
  cat "$work/link.md"
  tail -n +1 "$work/startup.md"
  echo
  cat "$work/realline.md"
  if [ -s "$work/follow.md" ]; then
    echo
    cat "$work/follow.md"
    echo
    cat "$work/hostile.md"
  fi
  echo
  cat "$work/station.md"
  echo
  cat "$work/remote.md"
  cat "$work/web.md"
} >"$work/table.md"
cat "$work/table.md"
if ((doc)); then
  replace_block figures "$work/table.md"
  echo "Written to docs/PERFORMANCE.md"
fi
