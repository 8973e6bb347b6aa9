#!/usr/bin/env bash
# Prints the performance figures as a table: medians of repeated runs of loading,
# posing (the fast SSE kernels and the plain ones side by side) and drawing the large generated
# model, peak memory while loading, and Assimp's MD5 import of the same file where the
# assimp_bench target was built. Usage: bench/report.sh [BUILD_FOLDER] (built with
# -DBRMATH_BUILD_BENCH=ON; default build/native).
set -euo pipefail
build=${1:-build/native}
repetitions=${REPETITIONS:-7}
run() {
  "$@" --benchmark_repetitions="$repetitions" --benchmark_report_aggregates_only=true --benchmark_format=csv 2>/dev/null |
    grep '_median"' || true
}
median_ms() { echo "$1" | grep "\"$2" | head -n 1 | awk -F, '{ printf "%.2f", $3 / 1e6 }'; }
counter() { echo "$1" | grep "\"$2" | head -n 1 | awk -F, -v column="$3" '{ printf "%.3g", $column }'; }

main=$(run "$build/bench/brmath_bench")
load=$(median_ms "$main" "BM_LoadActor")
load_rate=$(echo "$main" | grep '"BM_LoadActor' | awk -F, '{ printf "%.0f", $6 / 1e6 }')
fast=$(median_ms "$main" "BM_ProceedAnimation/kernels:0")
plain=$(median_ms "$main" "BM_ProceedAnimation/kernels:1")
render=$(median_ms "$main" "BM_RenderActor")
render_rate=$(echo "$main" | grep '"BM_RenderActor' | awk -F, '{ printf "%.1f", $6 / 1e9 }')
per_vertex() { awk -v ms="$1" 'BEGIN { printf "%.1f", ms * 1e6 / 100000 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

echo "| figure | median | target | note |"
echo "|---|---|---|---|"
echo "| load (MD5_LoadActor, 27 MB of mesh text) | $load ms, $load_rate MB/s | >= 300 MB/s | |"
echo "| pose (MD5_ProceedAnimation), fast (SSE) kernels | $fast ms, $(per_vertex "$fast") ns/vertex | <= 30 ns/vertex | $(ratio "$plain" "$fast") x the plain path |"
echo "| pose, plain kernels | $plain ms, $(per_vertex "$plain") ns/vertex | | the reference |"
echo "| draw (MD5_RenderActor, recording device) | $render ms, $render_rate GB/s | >= 1 GB/s | |"
if [ -x "$build/bench/load_memory" ]; then
  echo "| peak memory while loading | $("$build/bench/load_memory") | <= 1.5 x | |"
fi
if [ -x "$build/bench/assimp_bench" ]; then
  side=$(run "$build/bench/assimp_bench")
  ours=$(median_ms "$side" "BM_LoadWithBRMath")
  theirs=$(median_ms "$side" "BM_LoadWithAssimp")
  echo "| load, side by side with Assimp 5.2 | BRMath $ours ms, Assimp $theirs ms | >= 3 x faster | $(ratio "$theirs" "$ours") x |"
fi
