#!/usr/bin/env bash
# Builds the benchmarks, makes the large synthetic shop once, and runs every benchmark.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
BUILD_DIR=${BUILD_DIR:-build-bench}
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVENPOS_TESTS=OFF -DORVENPOS_BENCH=ON >/dev/null
cmake --build "$BUILD_DIR" -j"$(nproc)"
export ORVENPOS_GROSSER_LADEN=${ORVENPOS_GROSSER_LADEN:-$BUILD_DIR/grosser_laden.db}
if [ ! -f "$ORVENPOS_GROSSER_LADEN" ]; then
  "$BUILD_DIR/bin/orvenpos-generator" "$ORVENPOS_GROSSER_LADEN"
fi
export QT_QPA_PLATFORM=offscreen
for b in "$BUILD_DIR"/bin/bench_*; do
  [ -x "$b" ] || continue
  echo "== $(basename "$b")"
  "$b" --benchmark_counters_tabular=true "$@"
done
