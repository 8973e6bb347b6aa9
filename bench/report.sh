#!/usr/bin/env bash
# Prints the performance figures as a table: medians of repeated runs of loading,
# posing (the fast, SSE2 and plain kernels side by side) and drawing the large
# generated model, md5tool's conversions of a model with many clips, the peak memory of a load, and Assimp's MD5 import of the same file
# where the assimp_bench target was built. Usage: bench/report.sh [BUILD_FOLDER] (a
# build made with -DBRMATH_BUILD_BENCH=ON; default build/native).
set -euo pipefail
build=${1:-build/native}
repetitions=${REPETITIONS:-7}

# Benchmarks run on one processor, the last by default (BENCH_CPU chooses another):
# on small virtual machines the first one also takes the interrupts, and a run that
# moves between processors mixes their speeds.
cpu=${BENCH_CPU:-$(($(nproc) - 1))}
pin=()
if command -v taskset >/dev/null 2>&1; then pin=(taskset -c "$cpu"); fi

# The median lines of a benchmark program's console output. Repetitions of the
# benchmarks are interleaved in random order, so that a slow spell of the machine
# falls on all of them rather than on one.
medians() {
  "${pin[@]}" "$@" --benchmark_repetitions="$repetitions" --benchmark_enable_random_interleaving=true \
    --benchmark_report_aggregates_only=true 2>/dev/null |
    grep '_median ' || true
}
# Field 2 of a median line is its real time in milliseconds (every benchmark reports in ms).
time_ms() { echo "$1" | grep -F "$2" | head -n 1 | awk '{ print $2 }'; }
# A counter's value as printed, such as "393.2M/s" or "58.3ns".
counter() { echo "$1" | grep -F "$2" | head -n 1 | tr ' ' '\n' | grep "^$3=" | cut -d= -f2; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

main=$(medians "$build/bench/brmath_bench")
fast=$(time_ms "$main" "BM_ProceedAnimation/kernels:0")
plain=$(time_ms "$main" "BM_ProceedAnimation/kernels:1")
sse=$(time_ms "$main" "BM_ProceedAnimation/kernels:2")

echo "| figure | median | target | note |"
echo "|---|---|---|---|"
echo "| load (MD5_LoadActor, 27 MB of mesh text) | $(time_ms "$main" BM_LoadActor) ms, $(counter "$main" BM_LoadActor bytes_per_second) | >= 1.2 GB/s, aim 1.5 | file read, parse, check, skin, normals |"
echo "| pose (MD5_ProceedAnimation), fast kernels | $fast ms, $(counter "$main" "kernels:0" per_vertex)/vertex | <= 12 ns/vertex | $(ratio "$plain" "$fast") x faster than the plain path, same bits |"
echo "| pose, SSE2 kernels (the baseline; the fast ones where AVX is missing) | $sse ms, $(counter "$main" "kernels:2" per_vertex)/vertex | | $(ratio "$plain" "$sse") x faster than the plain path, same bits |"
echo "| pose, plain kernels | $plain ms, $(counter "$main" "kernels:1" per_vertex)/vertex | | the reference path |"
echo "| draw (MD5_RenderActor, recording device) | $(time_ms "$main" BM_RenderActor) ms, $(counter "$main" BM_RenderActor bytes_per_second) | >= 1 GB/s | |"
many=$(echo "$main" | grep "BM_HostFrame" || true)
if [ -n "$many" ]; then
  # A host's displayed frame, in ms and ns a vertex, for 1, 8 and 32 robots.
  host_row() {
    local loop=$1 out="" n
    for n in 1 8 32; do
      out+="$(time_ms "$main" "actors:$n/loop:$loop") ms ($(counter "$main" "actors:$n/loop:$loop" per_vertex)), "
    done
    echo "${out%, }"
  }
  echo "| a host's frame, every actor a new key: 1, 8 and 32 sample robots | $(host_row 0) | <= 12 ns a vertex at 32 | ms a displayed frame (ns a vertex) |"
  echo "| a host's frame, 60 Hz display of the 24 fps walk: 1, 8 and 32 robots | $(host_row 1) | at most half the row above | 3 displayed frames in 5 ask for the key shown |"
  echo "| posing's passes on the large model's first mesh: skin, face normals, tangent frames, vertex write | $(counter "$main" "PosePhase/phase:0" per_vertex), $(counter "$main" "PosePhase/phase:1" per_vertex), $(counter "$main" "PosePhase/phase:2" per_vertex), $(counter "$main" "PosePhase/phase:3" per_vertex) a vertex | | tangent frames with SSE2: $(counter "$main" "PosePhase/phase:4" per_vertex) |"
fi
if echo "$main" | grep -q "BM_LoadPhase"; then
  echo "| loading's passes over the mesh file: file read; every word passed over, no number read; the model records read (scan, numbers, checks) | $(time_ms "$main" "LoadPhase/phase:0") ms, $(time_ms "$main" "LoadPhase/phase:1") ms, $(time_ms "$main" "LoadPhase/phase:2") ms | | $(counter "$main" "LoadPhase/phase:0" bytes_per_second), $(counter "$main" "LoadPhase/phase:1" bytes_per_second), $(counter "$main" "LoadPhase/phase:2" bytes_per_second); the rest of a load is clips, preparing and posing |"
fi
if echo "$main" | grep -q "BM_TwoPassScan"; then
  echo "| loading as two passes, measured apart (not the library's): every number's place indexed; indexed and every number read | $(time_ms "$main" "TwoPassScan/passes:0") ms, $(time_ms "$main" "TwoPassScan/passes:1") ms | faster than the records read | $(counter "$main" "TwoPassScan/passes:0" bytes_per_second), $(counter "$main" "TwoPassScan/passes:1" bytes_per_second); no checks and no records in it |"
fi
# md5tool's conversions on the sample robot with 24 clips.
if [ -x "$build/bench/convert_bench" ]; then
  convert=$(medians "$build/bench/convert_bench")
  load=$(time_ms "$convert" BM_ConvertLoad) check=$(time_ms "$convert" BM_ConvertCheck)
  exported=$(time_ms "$convert" BM_ConvertExport) write=$(time_ms "$convert" BM_WriteGlb)
  both=$(awk -v a="$load" -v b="$write" 'BEGIN { print a + b }')
  echo "| the conversion core on a 24-clip robot in memory: load; check (load and summary); export to .glb; writing the .glb | $load ms, $check ms, $exported ms, $write ms | check <= 1.2 x load, export <= 2 x load and writing | check $(ratio "$check" "$load") x the load, export $(ratio "$exported" "$both") x load and writing |"
  echo "| md5tool info, check, export of the same model on disk | $(time_ms "$convert" "command:0") ms, $(time_ms "$convert" "command:1") ms, $(time_ms "$convert" "command:2") ms | | export $(ratio "$(time_ms "$convert" "command:2")" "$(time_ms "$convert" "command:0")") x info |"
fi
if [ -x "$build/bench/load_memory" ]; then
  echo "| peak memory while loading | $("${pin[@]}" "$build/bench/load_memory") | <= 1.5 x | |"
fi
if [ -x "$build/bench/assimp_bench" ]; then
  side=$(medians "$build/bench/assimp_bench")
  ours=$(time_ms "$side" BM_LoadWithBRMath)
  theirs=$(time_ms "$side" BM_LoadWithAssimp)
  echo "| load, side by side with Assimp | BRMath $ours ms, Assimp $theirs ms | >= 15 x faster | $(ratio "$theirs" "$ours") x faster |"
fi
# The web module under node on the same model, when it was built (scripts/build-web.sh).
web=${WEB_DIR:-build/web}
if [ -f "$web/brmath.mjs" ] && [ -x "$build/bench/write_large_model" ] && command -v node >/dev/null 2>&1; then
  folder=$(mktemp -d)
  "$build/bench/write_large_model" "$folder" >/dev/null
  side=$("${pin[@]}" node "$(dirname "$0")/web_bench.mjs" "$web" "$folder" "$repetitions")
  rm -rf "$folder"
  echo "| load, web module under node | $(time_ms "$side" web_load) ms, $(counter "$side" web_load mesh_MB_per_s) MB/s | >= 300 MB/s | the library's load of the files in the module's memory |"
  echo "| pose, web module, SSE2 kernels as wasm SIMD | $(time_ms "$side" web_pose_simd) ms, $(counter "$side" web_pose_simd per_vertex)/vertex | within 2 x of the native SSE2 path | $(ratio "$(time_ms "$side" web_pose_simd)" "$sse") x the native SSE2 time, same bits |"
  echo "| pose, web module, plain kernels | $(time_ms "$side" web_pose_plain) ms, $(counter "$side" web_pose_plain per_vertex)/vertex | | |"
fi
# A host posing through the exports, the same C program for the Linux library and for
# the Windows DLL under Wine (WINDOWS_BUILD: a 32-bit build where 32-bit Wine runs, else
# the 64-bit Windows build of the same sources; default build/windows64).
windows=${WINDOWS_BUILD:-build/windows64}
if [ -f "$windows/src/BRMath.dll" ] && command -v wine >/dev/null 2>&1 && [ -x "$build/bench/write_large_model" ]; then
  folder=$(mktemp -d)
  "$build/bench/write_large_model" "$folder" >/dev/null
  root=$(cd "$(dirname "$0")/.." && pwd)
  if grep -q "x86_64-w64-mingw32" "$windows/CMakeCache.txt"; then cross=x86_64-w64-mingw32-gcc wine=/usr/lib/wine/wine64; else cross=i686-w64-mingw32-gcc wine=wine; fi
  cc -O2 -I"$root/include" -I"$build/include" "$root/bench/pose_host.c" -o "$folder/pose_host" -ldl
  "$cross" -O2 -I"$root/include" -I"$windows/include" "$root/bench/pose_host.c" -o "$folder/pose_host.exe" -static
  linux_ms=$("${pin[@]}" "$folder/pose_host" "$build/src/libbrmath.so" "$folder/tube.md5mesh" "$repetitions" | awk '{ print $2 }')
  dll_ms=$(WINEDEBUG=-all "${pin[@]}" "$wine" "$folder/pose_host.exe" "$(cd "$windows/src" && pwd)/BRMath.dll" \
    "Z:$folder/tube.md5mesh" "$repetitions" 2>/dev/null | awk '{ print $2 }')
  rm -rf "$folder"
  echo "| pose through the exports, a C host: Linux library / $(basename "$windows") DLL under Wine | $linux_ms ms / $dll_ms ms | DLL within 10% | $(ratio "$dll_ms" "$linux_ms") x the Linux library's time |"
fi
