#!/usr/bin/env bash
# Builds BRMath four ways, and the web module, and runs every test: native (Release, with the projects that
# use it from an install and as a subproject), native under AddressSanitizer and
# UndefinedBehaviorSanitizer (with the leak check), the 32-bit Windows DLL, its import
# libraries, md5tool.exe and the Windows package with their tests under Wine, and the
# libFuzzer targets, each fuzzing for BRMATH_FUZZ_SECONDS (default 60). The Windows tests
# run in this machine's 32-bit Wine, or else in that of the Debian 13 root that setup
# makes where this machine's archive cannot install it. Where the kernel runs no 32-bit
# programs, they run on a 64-bit build of the same sources under 64-bit Wine instead,
# and the tests run again on a 32-bit Linux build under qemu-i386. The Blender add-on is
# tested in this machine's Blender and in those of the Debian 13 and unstable roots.
# Then checks that setup.sh installs every package the builds used, and ends with one
# line: "N passed, N failed".
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
# The Debian roots that setup makes and the tests use (Blender 4 and 5, 32-bit Wine).
export BRMATH_ROOTS=${BRMATH_ROOTS:-${XDG_CACHE_HOME:-$HOME/.cache}/brmath/roots}
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
  (cd "$dir" && ctest --output-on-failure -j "$jobs" --timeout 900 "${ctest_args[@]}") 2>&1 | tee "$log" | grep -E "tests passed|\*\*\*|Failed|Passed.*sec$" | grep -v "Passed" || true
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
  # What each failing test printed, kept for the end of the run where CI's excerpt shows it.
  awk -v suite="$name" '
    /\*\*\*(Failed|Timeout|Exception)|\*\*\*Not Run/ { test = $0; sub(/^.*Test +#[0-9]+: /, "", test); sub(/ .*/, "", test); n = 0; next }
    /^ *Start +[0-9]+: |^ *[0-9]+\/[0-9]+ Test +#|^[0-9]+% tests passed/ { test = "" }
    test != "" && n < 12 && /FAIL|[Ff]ailed|Failure|wine:|[Ee]rror|differs|Expected|Which is|Value of|Actual|[Tt]imeout|Segmentation|Abort/ { print suite "/" test ": " $0; n++ }
  ' "$log" >>"$failure_lines"
  # Tests that keep pictures for a person to look at say where.
  grep -h "the pictures are" "$dir/Testing/Temporary/LastTest.log" 2>/dev/null | sed "s/^/== $name: /" || true
  total_passed=$((total_passed + count - failed))
  total_failed=$((total_failed + failed))
}

ctest_args=()
mkdir -p "$root/build"
failure_lines="$root/build/failures.txt"
: >"$failure_lines"
# Wine runs Windows programs as Linux processes of the same width, and some kernels
# (IA-32 emulation off) refuse 32-bit ones. Where this machine's archive could not
# install 32-bit Wine, setup put it in the Debian 13 root: there every Wine command runs
# in the root through a wrapper of the same name, with this tree at its own path.
wine_root="$BRMATH_ROOTS/debian13"
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
  wine_route="this machine's 32-bit Wine"
  wine=wine
elif [ -x "$wine_root/usr/lib/wine/wine" ] &&
     bash scripts/in-root.sh "$wine_root" -- /usr/lib/wine/wine --version >/dev/null 2>&1; then
  wine_route="the 32-bit Wine of the Debian 13 root $wine_root"
  wrappers="$root/build/wine-root"
  mkdir -p "$wrappers"
  for command in wine wineserver; do
    printf '#!/usr/bin/env bash\nexec bash %q %q --bind %q -- %s "$@"\n' \
      "$root/scripts/in-root.sh" "$wine_root" "$root" "$command" >"$wrappers/$command"
    chmod +x "$wrappers/$command"
  done
  export PATH="$wrappers:$PATH" WINEPREFIX="$root/build/wine-prefix-root"
  wine="$wrappers/wine"
else
  wine_route=""
  wine=/usr/lib/wine/wine64
fi
mkdir -p "$WINEPREFIX"
wine_boot=("$wine" wineboot --init)
# Make Wine's prefix once, in the background, while the native builds run.
("${wine_boot[@]}" >/dev/null 2>&1 || true) &
wine_ready=$!

# The web module and page, which the native suite's web tests compare with md5tool.
echo "== web: build the module and the page"
# Debian's Emscripten, as scripts/build-web.sh sets it up (its acorn, a writable cache).
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH} EM_CACHE="$root/build/em-cache"
web_dir=""
if bash scripts/build-web.sh >/dev/null; then
  web_dir="$root/build/web"
else
  echo "== web: build failed"
  total_failed=$((total_failed + 1))
fi
suite native -DCMAKE_BUILD_TYPE=Release -DBRMATH_BUILD_BENCH=ON -DBRMATH_WEB_DIR="$web_dir" -DBRMATH_ROOTS="$BRMATH_ROOTS"
# Allocations the library expects to fail return null instead of aborting the run.
export ASAN_OPTIONS=allocator_may_return_null=1:detect_leaks=1
export UBSAN_OPTIONS=print_stacktrace=1
suite sanitize -DCMAKE_BUILD_TYPE=Debug -DBRMATH_SANITIZE=ON -DBRMATH_BUILD_TOOLS=ON
wait "$wine_ready"
# md5tool.exe's answers are compared with the Linux md5tool's, built above.
linux_md5tool=-DBRMATH_LINUX_MD5TOOL="$root/build/native/tools/md5tool"
windows=(-DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" "$linux_md5tool")
if [ -n "$wine_route" ]; then
  echo "== windows: the 32-bit DLL and md5tool.exe run in $wine_route"
  suite windows "${windows[@]}" -DCMAKE_CROSSCOMPILING_EMULATOR="$wine"
  windows_note="the Windows tests ran on the 32-bit DLL in $wine_route"
else
  # Why 32-bit Wine cannot run: setup's word on the 32-bit packages, or else the kernel.
  why="32-bit Wine does not run here"
  [ -f "$root/build/i386-packages.txt" ] && why="the 32-bit packages were $(cat "$root/build/i386-packages.txt")"
  windows_note="$why, so the 32-bit DLL's Wine tests ran as a 64-bit Windows build under 64-bit Wine (windows64) and as a 32-bit Linux build under qemu-i386 (linux32)"
  echo "== windows: $why: the 32-bit DLL is built and its exports, imports and instructions are checked; its tests run on a 64-bit Windows build under 64-bit Wine, and the 32-bit arithmetic on a 32-bit Linux build under qemu-i386"
  ctest_args=(-LE wine)
  suite windows "${windows[@]}" -DCMAKE_CROSSCOMPILING_EMULATOR=wine
  ctest_args=()
  suite windows64 -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" "$linux_md5tool" \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$wine"
  suite linux32 -DCMAKE_BUILD_TYPE=Release -DBRMATH_BUILD_TOOLS=OFF -DCMAKE_TOOLCHAIN_FILE="$root/cmake/linux-i686.cmake"
fi
# The library's test programs as WebAssembly under node: the module's readers (their
# strtof), posing (SSE2 as wasm SIMD) and drawing against the same expectations.
if [ -n "$web_dir" ]; then
  suite web-tests -DCMAKE_BUILD_TYPE=Release -DBRMATH_WEB_TESTS=ON -DBRMATH_WEB_OUTPUT="$root/build/web-tests/web" \
    -DCMAKE_TOOLCHAIN_FILE=/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$(command -v node)"
fi
suite fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DBRMATH_FUZZ=ON -DBRMATH_BUILD_TESTS=OFF -DBRMATH_BUILD_TOOLS=OFF -DBRMATH_FUZZ_SECONDS="${BRMATH_FUZZ_SECONDS:-60}"
# How far each fuzz target got.
grep -hE "^[0-9]+/[0-9]+ Test:|stat::(number_of_executed_units|average_exec_per_sec)" \
  "$root/build/fuzz/Testing/Temporary/LastTest.log" 2>/dev/null | sed "s/^/== fuzz: /" || true

# Every package a build read a header or library from is on a new machine or installed
# by setup.sh: one test.
setup_check=../shared/tools/check-setup-packages
if [ -x "$setup_check" ]; then
  echo "== setup: packages the builds used"
  if "$setup_check"; then
    total_passed=$((total_passed + 1))
  else
    total_failed=$((total_failed + 1))
  fi
else
  echo "== setup: $setup_check is not beside this clone; the packages the builds used are not checked"
fi

echo
if [ -s "$failure_lines" ]; then
  echo "what the failing tests said (the whole output is in build/SUITE.test.log):"
  head -n 40 "$failure_lines" | cut -c 1-300
fi
echo "note: $windows_note"
echo "$total_passed passed, $total_failed failed"
[ "$total_failed" -eq 0 ]
