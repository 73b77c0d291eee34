#!/usr/bin/env bash
# Figures for `zorvaline print`: the overhead of a 1 KB job (process start to exit) and the
# throughput of a 100 MB job, both into the recording test monitor, so that only the
# command, the spooler and the hand-over to the monitor are measured.
# Usage: bench/print.sh [BUILD_DIR]   (default build-bench: Release, no sanitizers)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build-bench}
if [ ! -x "$build/bin/zorvaline" ] || [ ! -f "$build/bin/librecording_monitor.so" ]; then
  cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=Release -DZORVALINE_SANITIZE=OFF >/dev/null
  cmake --build "$build" --target zorvaline recording_monitor -j2 >/dev/null
fi
zorvaline=$build/bin/zorvaline

work=$(mktemp -d "${TMPDIR:-/tmp}/zorvaline-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT
export ZORVALINE_ROOT=$work/root ZORVALINE_PLATFORM=win95 ZORVALINE_UI=headless
export ZORTEST_MONITOR_LOG=$work/monitor.log
unset ZORTEST_MONITOR_DATA ZORTEST_MONITOR_TAKE ZORTEST_MONITOR_FAIL ZORTEST_MONITOR_DELAY_MS ZORTEST_MONITOR_PORTS
system=$ZORVALINE_ROOT/drive_c/WINDOWS/SYSTEM
mkdir -p "$system"
cp "$build/bin/librecording_monitor.so" "$system/RECMON.DLL"
touch "$system/BENCH.DRV" "$system/BENCH.PPD"
"$zorvaline" monitors add "Recording Monitor" --dll RECMON.DLL >/dev/null
"$zorvaline" drivers add "Bench Driver" --driver BENCH.DRV --data BENCH.PPD >/dev/null
"$zorvaline" printers add Bench --driver "Bench Driver" --port RECORD: >/dev/null

head -c 1024 /dev/urandom >"$work/1k.bin"
head -c $((100 * 1024 * 1024)) /dev/urandom >"$work/100m.bin"

echo "zorvaline print, 1 KB job (process start to exit):"
if command -v hyperfine >/dev/null; then
  hyperfine --warmup 3 --runs 50 --style basic "$zorvaline print -P Bench $work/1k.bin" 2>&1 |
    grep -E "Time|Range" | sed 's/^/  /'
else
  start=$(date +%s%N)
  for _ in $(seq 50); do "$zorvaline" print -P Bench "$work/1k.bin"; done
  end=$(date +%s%N)
  echo "  mean of 50 runs: $(( (end - start) / 50 / 1000 )) us"
fi

echo "zorvaline print, 100 MB job into the test monitor:"
# The monitor only counts the bytes here, so the figure is the command's and the spooler's.
best=0
for _ in 1 2 3; do
  start=$(date +%s%N)
  "$zorvaline" print -P Bench "$work/100m.bin"
  end=$(date +%s%N)
  mbps=$(( 100 * 1000000000 / (end - start) ))
  echo "  $(( (end - start) / 1000000 )) ms, $mbps MB/s"
done
