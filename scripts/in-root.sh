#!/usr/bin/env bash
# Runs a command inside a Debian root that setup made with debootstrap, as root, with
# /proc, /dev, /sys and /tmp of this machine and the given folders at their own paths.
# The mounts live in a mount namespace of their own: they end with the command, so
# nothing outside ever sees them and removing a root never reaches this machine's /dev.
#
#   in-root.sh ROOT [--bind FOLDER]... [--] COMMAND [ARGUMENT]...
#
# The command starts in the caller's working folder when that folder is bound, with the
# caller's environment less what would point it at this machine's programs.
set -euo pipefail
[ $# -ge 2 ] || { echo "usage: in-root.sh ROOT [--bind FOLDER]... [--] COMMAND [ARGUMENT]..." >&2; exit 2; }
root=$(readlink -f "$1")
shift
binds=()
while [ $# -gt 0 ]; do
  case $1 in
    --bind) binds+=("$(readlink -f "$2")"); shift 2 ;;
    --) shift; break ;;
    *) break ;;
  esac
done
[ -x "$root/bin/sh" ] || { echo "in-root.sh: $root is not a made root (no /bin/sh)" >&2; exit 1; }

if [ -z "${BRMATH_IN_NAMESPACE:-}" ]; then
  # Again inside a private mount namespace.
  again=("$root")
  for folder in "${binds[@]}"; do again+=(--bind "$folder"); done
  exec env BRMATH_IN_NAMESPACE=1 unshare --mount --propagation private -- bash "$0" "${again[@]}" -- "$@"
fi

mount -t proc proc "$root/proc"
for system in dev sys; do
  mount --rbind "/$system" "$root/$system"
done
mkdir -p "$root/tmp"
mount --bind /tmp "$root/tmp"
for folder in "${binds[@]}"; do
  mkdir -p "$root$folder"
  mount --bind "$folder" "$root$folder"
done
cwd=/
for folder in "${binds[@]}" /tmp; do
  case $PWD/ in "$folder"/*) cwd=$PWD ;; esac
done
unset BRMATH_IN_NAMESPACE LD_LIBRARY_PATH LD_PRELOAD PYTHONPATH PYTHONHOME
exec chroot "$root" /usr/bin/env PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
  sh -c 'cd "$0" && exec "$@"' "$cwd" "$@"
