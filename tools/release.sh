#!/usr/bin/env bash
# Makes the release of the checked-out commit: the win32 and win64 programs,
# built in fresh build folders, packed into dist/:
#   convert-<version>-win32.zip, convert-<version>-win64.zip (convert.exe, README.md, LICENSE),
#   SHA256SUMS (for sha256sum -c) and BUILDINFO (the commit and the exact tools).
# dist/ depends only on the commit and those tools: not on the folder, the
# time, TZ, LANG or umask.
#
#   tools/release.sh          writes dist/ (the work tree must be committed)
#   tools/release.sh --check  makes the release twice, in two fresh clones of
#                             this commit at different paths, with different
#                             TZ, LANG and umask, and compares every file
#                             (exit 77: not a git checkout, nothing to clone)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
root=$PWD

check() {
  local commit start
  commit=$(git rev-parse HEAD)
  work=$(mktemp -d "${TMPDIR:-/tmp}/convert-release-check.XXXXXX")
  trap 'rm -rf "$work"' EXIT
  start=$(date +%s)
  # name, TZ, LANG, umask
  local runs=("one/convert Asia/Shanghai zh_CN.UTF-8 077" "two/a/deeper/path/src America/Los_Angeles C.UTF-8 002")
  for run in "${runs[@]}"; do
    read -r dir tz lang mask <<<"$run"
    git clone -q --no-checkout "$(git rev-parse --path-format=absolute --git-common-dir)" "$work/$dir"
    git -C "$work/$dir" checkout -q --detach "$commit"
    echo "release build in $work/$dir (TZ=$tz LANG=$lang umask $mask)"
    if ! (cd "$work/$dir" && umask "$mask" && TZ=$tz LANG=$lang tools/release.sh) >"$work/${dir%%/*}.log" 2>&1; then
      cat "$work/${dir%%/*}.log"
      echo "FAIL: the release build in $work/$dir failed" >&2
      return 1
    fi
  done
  local a=$work/one/convert/dist b=$work/two/a/deeper/path/src/dist same=yes
  if ! diff -q <(cd "$a" && ls -A) <(cd "$b" && ls -A) >/dev/null; then
    echo "FAIL: the two dist/ folders hold different files:"; diff <(cd "$a" && ls -A) <(cd "$b" && ls -A) || true
    same=no
  fi
  for f in "$a"/*; do
    name=$(basename "$f")
    if cmp -s "$f" "$b/$name"; then
      echo "  identical  $(sha256sum "$f" | cut -c1-16)…  $name"
    else
      same=no
      echo "  DIFFERENT  $name"
      case $name in
        *.zip) python3 - "$f" "$b/$name" <<'PY'
import sys, zipfile
one, two = (zipfile.ZipFile(p) for p in sys.argv[1:3])
for x, y in zip(one.infolist(), two.infolist()):
    print(f"    {x.filename}: crc {x.CRC:08x} / {y.CRC:08x}, date {x.date_time} / {y.date_time}, "
          f"attr {x.external_attr:o} / {y.external_attr:o}")
PY
          ;;
        BUILDINFO) diff "$f" "$b/$name" | sed 's/^/    /' || true ;;
        *) cmp "$f" "$b/$name" | sed 's/^/    /' || true ;;
      esac
    fi
  done
  echo "two release builds of $commit in $(( $(date +%s) - start )) s"
  if [ "$same" != yes ]; then
    echo "FAIL: the release is not reproducible"
    return 1
  fi
  echo "ok: byte-identical dist/ from both builds"
}

if [ "${1:-}" = --check ]; then
  tools/deps.sh release
  if ! git rev-parse --verify -q HEAD >/dev/null 2>&1; then
    echo "skipped: not a git checkout with a commit (a release is made from a commit)"
    exit 77
  fi
  check
  exit
fi

tools/deps.sh release
if [ -n "$(git status --porcelain --untracked-files=no)" ]; then
  echo "tools/release.sh: uncommitted changes; a release is made from a commit" >&2
  exit 1
fi
commit=$(git rev-parse HEAD)
# The commit's time dates the programs (the linker reads it) and the zips.
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct "$commit")
export SOURCE_DATE_EPOCH TZ=UTC LC_ALL=C
umask 022

rm -rf build/release dist
for arch in win32 win64; do
  cmake --preset "release-$arch" >/dev/null
  cmake --build --preset "release-$arch"
done
tools/pe-check.py build/release/win32/app/convert.exe build/release/win64/app/convert.exe

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/release/win32/CMakeCache.txt)
mkdir dist
zips=()
for arch in win32 win64; do
  zip=convert-$version-$arch.zip
  /usr/bin/python3 tools/make-zip.py "dist/$zip" "$SOURCE_DATE_EPOCH" \
    convert.exe="build/release/$arch/app/convert.exe" README.md=README.md LICENSE=LICENSE
  zips+=("$zip")
done
(cd dist && sha256sum "${zips[@]}" >SHA256SUMS)

# What built it, named down to the Debian package of each file the build used.
package_of() {
  local owner
  owner=$(dpkg -S "$(realpath "$1")" 2>/dev/null | head -n1 | sed 's/: .*//; s/:[a-z0-9]*$//') || true
  [ -n "$owner" ] && dpkg-query -W -f='${Package} ${Version}' "$owner" || echo "not from a Debian package"
}
tool_of() { sed -n "s/^$2=//p" "build/release/$1/build-tools.txt"; }
{
  echo "commit: $commit"
  echo "version: $version"
  echo "source-date-epoch: $SOURCE_DATE_EPOCH ($(date -u -d "@$SOURCE_DATE_EPOCH" '+%Y-%m-%d %H:%M:%S UTC'))"
  for arch in win32 win64; do
    cxx=$(tool_of "$arch" cxx)
    ld=$("$cxx" -print-prog-name=ld)
    ld=$(command -v "$ld" || echo "$ld")
    echo "$arch compiler: $("$cxx" --version | head -n1) [$(package_of "$cxx")]"
    echo "$arch binutils: $("$ld" --version | head -n1) [$(package_of "$ld")]"
    rc=$(command -v "$(tool_of "$arch" rc)")
    echo "$arch resource compiler: $("$rc" --version | head -n1) [$(package_of "$rc")]"
    echo "$arch MinGW-w64 runtime (CRT, headers, winpthreads): $(package_of "$("$cxx" -print-file-name=crt2u.o)")"
    echo "$arch libstdc++ and libgcc: $(package_of "$("$cxx" -print-file-name=libstdc++.a)")"
  done
  cmake_bin=$(tool_of win32 cmake)
  echo "cmake: $("$cmake_bin" --version | head -n1) [$(package_of "$cmake_bin")]"
  echo "ninja: $(ninja --version) [$(package_of "$(command -v ninja)")]"
  echo "zip: $(/usr/bin/python3 -c 'import sys, zlib; print(f"python {sys.version.split()[0]} zipfile, zlib {zlib.ZLIB_VERSION}")') [$(package_of /usr/bin/python3)]"
  echo "rebuild: check out the commit on Debian 12 with these package versions and run tools/release.sh"
} >dist/BUILDINFO

echo "dist/:"
(cd dist && ls -l && cat SHA256SUMS)
