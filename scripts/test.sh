#!/usr/bin/env bash
# Builds BRMath four ways and runs every test: native (Release), native under
# AddressSanitizer and UndefinedBehaviorSanitizer (with the leak check), the 32-bit
# Windows DLL with its tests under Wine, and the libFuzzer targets, each fuzzing for
# BRMATH_FUZZ_SECONDS (default 60). Ends with one line: "N passed, N failed".
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
bash scripts/setup.sh || { echo "setup failed"; exit 1; }

export WINEDEBUG=-all
export WINEPREFIX="${WINEPREFIX:-$root/build/wine-prefix}"
jobs=$(nproc)
total_passed=0
total_failed=0

suite() {
  local name=$1
  shift
  local dir="$root/build/$name"
  echo "== $name: configure and build"
  if ! cmake -S "$root" -B "$dir" -G Ninja "$@" >"$dir.configure.log" 2>&1 ||
     ! cmake --build "$dir" -j "$jobs" >"$dir.build.log" 2>&1; then
    tail -n 40 "$dir.configure.log" "$dir.build.log" 2>/dev/null
    echo "== $name: build failed"
    total_failed=$((total_failed + 1))
    return
  fi
  echo "== $name: test"
  local log="$dir.test.log"
  (cd "$dir" && ctest --output-on-failure -j "$jobs" --timeout 900) 2>&1 | tee "$log" | grep -E "tests passed|\*\*\*|Failed|Passed.*sec$" | grep -v "Passed" || true
  local line
  line=$(grep -E "tests passed, [0-9]+ tests failed out of [0-9]+" "$log" | tail -n 1)
  if [ -z "$line" ]; then
    echo "== $name: no test summary"
    total_failed=$((total_failed + 1))
    return
  fi
  local failed count
  failed=$(echo "$line" | sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\1/')
  count=$(echo "$line" | sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\2/')
  echo "== $name: $((count - failed)) passed, $failed failed"
  # Tests that keep pictures for a person to look at say where.
  grep -h "the pictures are" "$dir/Testing/Temporary/LastTest.log" 2>/dev/null | sed "s/^/== $name: /" || true
  total_passed=$((total_passed + count - failed))
  total_failed=$((total_failed + failed))
}

mkdir -p "$root/build"
mkdir -p "$WINEPREFIX"
# Make Wine's prefix once, in the background, while the native builds run.
(wineboot --init >/dev/null 2>&1 || true) &
wine_ready=$!

suite native -DCMAKE_BUILD_TYPE=Release -DBRMATH_BUILD_BENCH=ON
# Allocations the library expects to fail return null instead of aborting the run.
export ASAN_OPTIONS=allocator_may_return_null=1:detect_leaks=1
export UBSAN_OPTIONS=print_stacktrace=1
suite sanitize -DCMAKE_BUILD_TYPE=Debug -DBRMATH_SANITIZE=ON -DBRMATH_BUILD_TOOLS=ON
wait "$wine_ready"
# Wine runs the Windows tests as 32-bit Linux processes; some kernels refuse those.
if [ -x /usr/lib/wine/wine ] && ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
  echo "== windows: this kernel does not run 32-bit programs (IA-32 emulation off), so Wine cannot run the tests below"
fi
suite windows -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake"
suite fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DBRMATH_FUZZ=ON -DBRMATH_BUILD_TESTS=OFF -DBRMATH_BUILD_TOOLS=OFF -DBRMATH_FUZZ_SECONDS="${BRMATH_FUZZ_SECONDS:-60}"
# How far each fuzz target got.
grep -hE "^[0-9]+/[0-9]+ Test:|stat::(number_of_executed_units|average_exec_per_sec)" \
  "$root/build/fuzz/Testing/Temporary/LastTest.log" 2>/dev/null | sed "s/^/== fuzz: /" || true

echo
echo "$total_passed passed, $total_failed failed"
[ "$total_failed" -eq 0 ]
