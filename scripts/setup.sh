#!/usr/bin/env bash
# Installs what building and testing BRMath needs on a Debian machine, when missing:
# the native toolchain, GoogleTest and Google Benchmark, MinGW-w64 for the Windows
# DLL, Wine (32-bit) with Xvfb and Mesa for running it, the command-line tool's
# libraries and the locales (a decimal comma among them) that the tests switch to; also 64-bit MinGW-w64, Wine and Mesa, multilib GCC and qemu-i386, which
# stand in for the 32-bit Windows tests on kernels that run no 32-bit programs.
# Needs root for apt-get; does nothing when all is there.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev googletest libgtest-dev libbenchmark-dev
  libpng-dev libcli11-dev nlohmann-json3-dev locales-all
  g++-mingw-w64-i686 wine wine32:i386 xvfb xauth libgl1:i386 libgl1-mesa-dri:i386 libglx-mesa0:i386
)
native=$(dpkg --print-architecture)
packages+=(g++-mingw-w64-x86-64 g++-multilib qemu-user-static "wine64:$native" "libgl1:$native" "libgl1-mesa-dri:$native" "libglx-mesa0:$native")

# The Khronos glTF validator, from the npm registry at the version the lock file names.
install_validator() {
  [ "${1:-all}" = demo ] && return 0
  [ -d tests/gltf/node_modules/gltf-validator ] && return 0
  (cd tests/gltf && npm ci --no-audit --no-fund --loglevel=error >/dev/null)
}
cd "$(dirname "$0")/.."
# A node that is already installed (not Debian's) does.
if command -v node >/dev/null 2>&1 && command -v npm >/dev/null 2>&1; then
  packages=("${packages[@]/nodejs/}")
  packages=("${packages[@]/npm/}")
fi

missing=()
for package in "${packages[@]}"; do
  [ -n "$package" ] || continue
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done
if [ ${#missing[@]} -eq 0 ]; then
  install_validator "${1:-all}"
  exit 0
fi

echo "setup: installing ${missing[*]}" >&2
as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
if printf '%s\n' "${missing[@]}" | grep -q ':i386$' && ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${as_root[@]}" dpkg --add-architecture i386
fi
"${as_root[@]}" apt-get update -qq
# With their recommended packages: Wine's Direct3D finds OpenGL through them.
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq "${missing[@]}" >/dev/null
install_validator "${1:-all}"
