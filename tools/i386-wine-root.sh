#!/usr/bin/env bash
# Makes, once, a Debian 12 root with Wine and its 32-bit half (wine32:i386),
# for a machine whose own Debian cannot install wine32 (its i386 packages
# cannot be fetched in the versions of the amd64 ones, as when one security
# index fails): the root takes only bookworm and bookworm-updates, so the
# two architectures always agree. tools/i686-tests-qemu.sh runs Wine inside
# it then. About 5 minutes and 1.3 GB; needs root, debootstrap and the
# network, and qemu-i386 registered with binfmt_misc (the i386 packages'
# scripts run i386 programs).
#   tools/i386-wine-root.sh ROOT   prints ROOT when it is ready
# A root that is not whole (a run cut short, a package missing) is made again.
set -euo pipefail
root=$(realpath -m "$1")
mirror=${DEBIAN_MIRROR:-http://deb.debian.org/debian}
packages=(wine wine64 wine32:i386 x11-utils fonts-wqy-microhei)

whole() {
  [ -f "$1/.convert-ready" ] && [ -x "$1/usr/lib/wine/wine" ] && [ -x "$1/usr/lib/wine/wine64" ] &&
    [ -d "$1/usr/lib/i386-linux-gnu/wine" ] && [ -f "$1/usr/share/fonts/truetype/wqy/wqy-microhei.ttc" ]
}
whole "$root" && { echo "$root"; exit 0; }

mkdir -p "$(dirname "$root")"
exec 9>"$root.lock"
flock 9
whole "$root" && { echo "$root"; exit 0; }

# Never delete through a mount: a root still holding a bind mount of the
# project would take the project with it.
remove_root() {
  if grep -qs " $1[/ ]" /proc/mounts; then
    echo "$1 still has mounts; not removing it" >&2
    return 1
  fi
  rm -rf --one-file-system "$1"
}

work=$root.part
mounted=""
cleanup() { if [ -n "$mounted" ]; then umount "$work/proc" 2>/dev/null || true; fi; }
trap cleanup EXIT

remove_root "$work"
echo "making a Debian 12 root with 32-bit Wine in $root (about 5 minutes)" >&2
debootstrap --variant=minbase bookworm "$work" "$mirror" >"$root.log" 2>&1 ||
  { tail -5 "$root.log" >&2; exit 1; }
printf 'deb %s bookworm main\ndeb %s bookworm-updates main\n' "$mirror" "$mirror" \
  >"$work/etc/apt/sources.list"
mount -t proc proc "$work/proc"
mounted=yes
in_root() { chroot "$work" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin DEBIAN_FRONTEND=noninteractive "$@"; }
{
  in_root dpkg --add-architecture i386
  in_root apt-get update
  in_root apt-get install -y --no-install-recommends "${packages[@]}"
  in_root apt-get clean
} >>"$root.log" 2>&1 || { tail -5 "$root.log" >&2; exit 1; }
umount "$work/proc"
mounted=""
touch "$work/.convert-ready"
whole "$work" || { echo "the root lacks part of Wine: see $root.log" >&2; exit 1; }

[ -e "$root" ] && remove_root "$root"
mv "$work" "$root"
echo "$root"
