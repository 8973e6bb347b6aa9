#!/usr/bin/env bash
# Installs what building and testing BRMath needs on a Debian machine, when missing.
# Needs root for apt-get; does nothing when all is there.
#
#   setup.sh demo           the demo's set only: the native toolchain and md5tool's libraries
#   setup.sh web            the demo's set, Emscripten and Node.js with the page's npm
#                           packages (three.js, fflate, playwright-core): scripts/web.sh
#   setup.sh [all]          also the test set: GoogleTest, Google Benchmark, clang with
#                           libFuzzer, MinGW-w64 with zlib for Windows, 64-bit Wine with
#                           Xvfb and Mesa, multilib GCC and qemu-i386, the locales the tests
#                           switch to, Node.js with the Khronos glTF validator and
#                           three.js, Chromium that draws with it, Assimp's command
#                           line tool that reads md5tool import's files, Emscripten
#                           with the web page's npm packages, Blender for the add-on's
#                           tests; and, where
#                           this kernel runs 32-bit programs, 32-bit Wine and Mesa;
#                           and two Debian roots (below)
#   --assimp                also Assimp, for the benchmarks' comparison (configure with
#                           -DBRMATH_BENCH_ASSIMP=ON)
#
# Only the demo's set is required: setup fails when it cannot be installed. Anything
# else that cannot be had (an archive index that fails to download, packages that
# cannot be installed) is named in a warning, and the tests that need it take their
# fallback or say what is missing. What happened to the 32-bit packages is written to
# build/i386-packages.txt, which the test command quotes.
#
# The newer Blenders, and 32-bit Wine where this machine's archive cannot install it,
# come from Debian roots made with debootstrap in $BRMATH_ROOTS (default
# ~/.cache/brmath/roots), made once and reused: debian13 (Debian 13, Blender 4.3, and
# 32-bit Wine where needed) and unstable (Debian unstable, Blender 5). What happened to
# each is written to build/roots.txt, which the tests that need a root quote.
set -uo pipefail
cd "$(dirname "$0")/.."

demo_packages=(cmake ninja-build g++ zlib1g-dev libcli11-dev nlohmann-json3-dev libstb-dev libtinygltf-dev)
test_packages=(
  debootstrap clang lld llvm libclang-rt-14-dev googletest libgtest-dev libbenchmark-dev locales-all
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 libz-mingw-w64-dev wine wine64 xvfb xauth
  libgl1 libgl1-mesa-dri libglx-mesa0 g++-multilib qemu-user-static chromium assimp-utils emscripten blender
)
web_packages=(emscripten)
i386_packages=(wine32:i386 libgl1:i386 libgl1-mesa-dri:i386 libglx-mesa0:i386)
assimp_packages=(libassimp-dev)
# What each Debian root installs from its own suite, without recommended packages.
root_packages=(blender python3-numpy)
root_wine_packages=(wine wine32:i386 libgl1:i386 libgl1-mesa-dri:i386 libglx-mesa0:i386)

set_name=all
with_assimp=0
for argument in "$@"; do
  case $argument in
    demo | web | all) set_name=$argument ;;
    --assimp) with_assimp=1 ;;
    *) echo "usage: setup.sh [demo|web|all] [--assimp]" >&2; exit 2 ;;
  esac
done

warn() { echo "setup: warning: $*" >&2; }
as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
log=$(mktemp)
trap 'rm -f "$log"' EXIT

missing_of() {
  local package
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || echo "$package"
  done
}

# An index that fails to download (a mirror mid-sync) is retried once, then the lists
# that did arrive are used.
lists_updated=0
update_lists() {
  [ "$lists_updated" -eq 0 ] || [ "${1:-}" = again ] || return 0
  lists_updated=1
  local attempt
  for attempt in 1 2; do
    "${as_root[@]}" apt-get update -qq >"$log" 2>&1 && return 0
    [ "$attempt" -eq 1 ] && sleep 5
  done
  warn "apt-get update failed twice; using the package lists that did arrive:"
  grep -E "^(E|W):" "$log" | sed 's/^/  /' >&2
}

# Installs PACKAGES (with their recommended packages: Wine's Direct3D finds OpenGL through
# them); returns 1 with apt-get's messages in $log when they cannot all be installed.
install_packages() {
  [ $# -gt 0 ] || return 0
  update_lists
  echo "setup: installing $*" >&2
  DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq "$@" >"$log" 2>&1
}

apt_reason() { grep -E "^E:|held broken|unmet dependencies|Depends:|Unable to locate" "$log" | head -n 6 | sed 's/^/  /'; }

# The demo's set is the one thing setup cannot go without.
mapfile -t missing < <(missing_of "${demo_packages[@]}")
if ! install_packages "${missing[@]}"; then
  echo "setup: error: the native toolchain and md5tool's libraries could not be installed (${missing[*]}):" >&2
  apt_reason >&2
  exit 1
fi
[ "$set_name" = demo ] && exit 0

# The web page's npm packages, at the versions web/package-lock.json names.
install_web_modules() {
  [ -d web/node_modules/three ] && [ -d web/node_modules/fflate ] && [ -d web/node_modules/playwright-core ] && return 0
  if ! command -v npm >/dev/null 2>&1 ||
     ! (cd web && npm ci --no-audit --no-fund --loglevel=error >"$log" 2>&1); then
    warn "could not install the web page's npm packages; the web build and its tests will fail:"
    tail -n 5 "$log" | sed 's/^/  /' >&2
  fi
}

# Debian's Node.js and npm, unless a node with npm is already there.
if ! command -v node >/dev/null 2>&1 || ! command -v npm >/dev/null 2>&1; then
  test_packages+=(nodejs npm)
  web_packages+=(nodejs npm)
fi
if [ "$set_name" = web ]; then
  mapfile -t missing < <(missing_of "${web_packages[@]}")
  install_packages "${missing[@]}" || { echo "setup: error: could not install ${missing[*]}:" >&2; apt_reason >&2; exit 1; }
  install_web_modules
  exit 0
fi
[ "$with_assimp" -eq 1 ] && test_packages+=("${assimp_packages[@]}")

# The test set together, or else one by one, so that one package that cannot be had
# costs only the tests that need it.
mapfile -t missing < <(missing_of "${test_packages[@]}")
if ! install_packages "${missing[@]}"; then
  not_installed=()
  for package in "${missing[@]}"; do
    install_packages "$package" || not_installed+=("$package")
  done
  [ ${#not_installed[@]} -eq 0 ] ||
    warn "could not install ${not_installed[*]}; the tests that need them will fail or say what is missing"
fi

# 32-bit Wine only where this kernel runs 32-bit programs: a 91-byte i386 program that
# only exits tells, before anything is installed.
mkdir -p build
i386_note=build/i386-packages.txt
runs_32bit() {
  local probe
  probe=$(mktemp)
  echo "f0VMRgEBAQAAAAAAAAAAAAIAAwABAAAAVIAECDQAAAAAAAAAAAAAADQAIAABAAAAAAAAAAEAAAAAAAAAAIAECACABAhbAAAAWwAAAAUAAAAAEAAAMdsxwEDNgA==" |
    base64 -d >"$probe"
  chmod +x "$probe"
  "$probe" 2>/dev/null
  local status=$?
  rm -f "$probe"
  return "$status"
}
if ! runs_32bit; then
  echo "not requested: this kernel runs no 32-bit programs (Exec format error)" >"$i386_note"
  echo "setup: ${i386_packages[*]} not requested: this kernel runs no 32-bit programs" >&2
else
  mapfile -t missing < <(missing_of "${i386_packages[@]}")
  if [ ${#missing[@]} -gt 0 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    "${as_root[@]}" dpkg --add-architecture i386
    update_lists again
  fi
  if install_packages "${missing[@]}"; then
    rm -f "$i386_note"
  else
    reason=$(apt_reason)
    echo "not installed: ${missing[*]} (apt-get: $(echo "$reason" | head -n 1 | sed 's/^ *//'))" >"$i386_note"
    warn "could not install the 32-bit packages ${missing[*]}; the Windows tests will run as a 64-bit build instead. apt-get said:"
    echo "$reason" >&2
  fi
fi

# The Debian roots. Each is made by debootstrap (minbase) into NAME.partial and renamed
# when whole, so a root that exists was made to the end; its packages are installed,
# or found installed, on every run. The machine's apt settings, CA certificates and
# resolver are copied in, since the archive is reached through them.
roots=${BRMATH_ROOTS:-${XDG_CACHE_HOME:-$HOME/.cache}/brmath/roots}
mirror=$(sed -nE 's|^URIs: *(\S+/debian)/?$|\1|p; s|^deb +(\[[^]]*\] +)?(\S+/debian)/? .*|\2|p' \
  /etc/apt/sources.list.d/*.sources /etc/apt/sources.list 2>/dev/null | head -n 1)
mirror=${mirror:-http://deb.debian.org/debian}
in_root() { "${as_root[@]}" bash scripts/in-root.sh "$@"; }
root_install() {
  local dir=$1
  shift
  in_root "$dir" -- env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$@"
}
make_root() {
  local name=$1 suite=$2
  shift 2
  local dir="$roots/$name" started=$SECONDS how=reused
  if [ ! -d "$dir" ]; then
    # A debootstrap that was killed may have left its mounts (proc, even /dev) in there.
    rm -rf --one-file-system "$dir.partial"
    "${as_root[@]}" debootstrap --variant=minbase "$suite" "$dir.partial" "$mirror" || { echo "debootstrap $suite failed"; return 1; }
    mv "$dir.partial" "$dir"
    how=made
  fi
  cp -a /etc/apt/apt.conf.d/. "$dir/etc/apt/apt.conf.d/"
  mkdir -p "$dir/etc/ssl/certs" && cp -L /etc/ssl/certs/ca-certificates.crt "$dir/etc/ssl/certs/"
  [ -d /usr/local/share/ca-certificates ] && mkdir -p "$dir/usr/local/share/ca-certificates" &&
    cp -a /usr/local/share/ca-certificates/. "$dir/usr/local/share/ca-certificates/"
  cp -L /etc/resolv.conf "$dir/etc/resolv.conf"
  local wanted=("$@") missing=() package
  case " ${wanted[*]} " in *:i386*) in_root "$dir" -- dpkg --add-architecture i386 ;; esac
  for package in "${wanted[@]}"; do
    in_root "$dir" -- dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
      missing+=("$package")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    # Lists from an earlier run may name versions the archive no longer has.
    { [ -n "$(ls "$dir/var/lib/apt/lists" 2>/dev/null | grep -v -e lock -e partial -e auxfiles)" ] &&
        root_install "$dir" "${missing[@]}"; } ||
      { in_root "$dir" -- apt-get update -qq && root_install "$dir" "${missing[@]}"; } ||
      { echo "apt-get could not install ${missing[*]} from $suite"; return 1; }
    how="$how, installed ${missing[*]},"
  fi
  echo "$how in $((SECONDS - started)) s"
}
# Both roots at once, each with its log; then one line a root in build/roots.txt.
wants_root_wine=0
[ -f "$i386_note" ] && grep -q "^not installed" "$i386_note" && wants_root_wine=1
roots_note=build/roots.txt
: >"$roots_note"
mkdir -p "$roots" build/roots
debian13_packages=("${root_packages[@]}")
[ "$wants_root_wine" -eq 1 ] && debian13_packages+=("${root_wine_packages[@]}")
(make_root debian13 trixie "${debian13_packages[@]}" >build/roots/debian13.log 2>&1) &
debian13_job=$!
(make_root unstable sid "${root_packages[@]}" >build/roots/unstable.log 2>&1) &
unstable_job=$!
for name in debian13 unstable; do
  job_var="${name}_job"
  if wait "${!job_var}"; then
    echo "$name: $roots/$name: $(tail -n 1 "build/roots/$name.log")" >>"$roots_note"
  else
    echo "$name: not made: $(grep -E "^(E:|W: Failure|debootstrap|apt-get could not)" "build/roots/$name.log" |
      head -n 2 | tr '\n' ' ')(the whole log: build/roots/$name.log)" >>"$roots_note"
  fi
done
sed 's/^/setup: root /' "$roots_note" >&2

# The Khronos glTF validator and three.js, from the npm registry at the versions the
# lock file names.
if [ ! -d tests/gltf/node_modules/gltf-validator ] || [ ! -d tests/gltf/node_modules/three ] ||
   [ ! -d tests/gltf/node_modules/pngjs ]; then
  if ! command -v npm >/dev/null 2>&1 ||
     ! (cd tests/gltf && npm ci --no-audit --no-fund --loglevel=error >"$log" 2>&1); then
    warn "could not install the Khronos glTF validator and three.js with npm; the tests gltf_validator and gltf_threejs will fail:"
    tail -n 5 "$log" | sed 's/^/  /' >&2
  fi
fi
install_web_modules
exit 0
