#!/usr/bin/env bash
# Makes the release of the checked-out commit: the win32 and win64 programs,
# built in fresh build folders, packed into dist/:
#   convert-<version>-win32.zip, convert-<version>-win64.zip (convert.exe, README.md, LICENSE),
#   SHA256SUMS (for sha256sum -c) and BUILDINFO (the commit and the exact tools).
# dist/ depends only on the commit and those tools: not on the folder, the
# time, TZ, LANG or umask.
#
#   tools/release/release.sh          writes dist/ (the work tree must be committed)
#   tools/release/release.sh --check  makes the release twice, in two fresh clones of
#                             this commit at different paths, with different
#                             TZ, LANG and umask, and compares every file
#                             (exit 77: not a git checkout, nothing to clone);
#                             with the options below, both releases take them
#                             (tools/release/compare.sh; --keep DIR keeps both)
#   --reuse-build             packs the programs that the last release of this
#                             commit in this clone built (dist/ and build/release/
#                             as it left them) instead of building them again:
#                             to sign an unsigned release after the fact
#   --sign FILE.p12           signs both programs (Authenticode, SHA-256, dated
#                             the commit's time), password in the environment
#                             variable CONVERT_SIGN_PASSWORD (may be empty); dist/
#                             also holds each program's signature,
#                             convert-<version>-<arch>.exe.pem
#   --timestamp URL           with --sign: a timestamp from URL (needs the
#                             network; a timestamp is never the same twice)
#   --url BASE                also writes the winget and Scoop manifests,
#                             dist/winget/ and dist/scoop/, for zips
#                             downloaded from the folder BASE
# With --sign or --url, SHA256SUMS lists every file of dist/.
set -euo pipefail

usage() {
  [ -z "${1:-}" ] || echo "tools/release/release.sh: $1" >&2
  echo "usage: tools/release/release.sh [--check [--keep DIR]] [--reuse-build] [--sign FILE.p12 [--timestamp URL]] [--url BASE]" >&2
  exit 2
}
# Read before the cd below: a key's path is the caller's.
check_twice="" keep=() reuse="" sign_key="" timestamp="" base_url="" pass_on=()
while [ $# -gt 0 ]; do
  case $1 in
    --check) check_twice=yes; shift ;;
    --keep) [ $# -ge 2 ] && [ -n "$2" ] || usage "--keep needs a folder"; keep=(--keep "$2"); shift 2 ;;
    --reuse-build) reuse=yes; shift ;;
    --sign)
      [ $# -ge 2 ] && [ -n "$2" ] || usage "--sign needs the key file (PKCS#12, .p12 or .pfx)"
      [ -f "$2" ] && [ -r "$2" ] || usage "--sign $2: no such readable file"
      sign_key=$(realpath -- "$2") pass_on+=(--sign "$sign_key"); shift 2 ;;
    --timestamp)
      [ $# -ge 2 ] && [[ $2 =~ ^https?://[^[:space:]]+$ ]] || usage "--timestamp needs a http:// or https:// address"
      timestamp=$2 pass_on+=(--timestamp "$2"); shift 2 ;;
    --url)
      [ $# -ge 2 ] && [[ $2 =~ ^https?://[^[:space:]]+$ ]] || usage "--url needs the http:// or https:// address of the zips' folder"
      base_url=${2%/} pass_on+=(--url "$base_url"); shift 2 ;;
    -h | --help)
      sed -n '2,/^set -euo/{/^set -euo/d;s/^# \{0,1\}//;p}' "$0"; exit 0 ;;
    *) usage "unknown option $1" ;;
  esac
done
[ -z "$timestamp" ] || [ -n "$sign_key" ] || usage "--timestamp goes with --sign"
[ ${#keep[@]} -eq 0 ] || [ -n "$check_twice" ] || usage "--keep goes with --check"
[ -z "$reuse" ] || [ -z "$check_twice" ] || usage "--reuse-build does not go with --check"

cd "$(dirname "${BASH_SOURCE[0]}")/../.."

# Every file of a folder, subfolders too, in a fixed order.
files_of() { (cd "$1" && find . -type f | sed 's|^\./||' | LC_ALL=C sort); }
source tools/release/sign.sh

tools/env/deps.sh release
# The key is tried before anything is built: a wrong password must not cost a build.
[ -z "$sign_key" ] || check_key

if [ -n "$check_twice" ]; then
  exec tools/release/compare.sh "${keep[@]}" "${pass_on[@]}"
fi

if [ -n "$(git status --porcelain --untracked-files=no)" ]; then
  echo "tools/release/release.sh: uncommitted changes; a release is made from a commit" >&2
  exit 1
fi

commit=$(git rev-parse HEAD)
# The commit's time dates the programs (the linker reads it) and the zips.
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct "$commit")
export SOURCE_DATE_EPOCH TZ=UTC LC_ALL=C
umask 022

if [ -n "$reuse" ]; then
  # Only the programs that this commit's release packed, unchanged since.
  [ "$(sed -n 's/^commit: //p' dist/BUILDINFO 2>/dev/null)" = "$commit" ] ||
    usage "--reuse-build: dist/ holds no release of $commit made here"
  for arch in win32 win64; do
    zipped=$(find dist -maxdepth 1 -name "convert-*-$arch.zip")
    /usr/bin/python3 -c 'import sys, zipfile; sys.stdout.buffer.write(zipfile.ZipFile(sys.argv[1]).read("convert.exe"))' \
      "$zipped" | cmp -s - "build/release/$arch/app/convert.exe" ||
      usage "--reuse-build: build/release/$arch/app/convert.exe is not the program dist/ packs"
  done
  rm -rf dist build/release/*/convert-signed.exe*
else
  rm -rf build/release dist
  for arch in win32 win64; do
    cmake --preset "release-$arch" >/dev/null
    cmake --build --preset "release-$arch"
  done
fi
tools/release/pe-check.py build/release/win32/app/convert.exe build/release/win64/app/convert.exe

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/release/win32/CMakeCache.txt)
mkdir dist

[ -z "$sign_key" ] || sign_programs

zips=()
for arch in win32 win64; do
  zip=convert-$version-$arch.zip
  program=build/release/$arch/app/convert.exe
  [ -z "$sign_key" ] || program=build/release/$arch/convert-signed.exe
  /usr/bin/python3 tools/release/make-zip.py "dist/$zip" "$SOURCE_DATE_EPOCH" \
    convert.exe="$program" README.md=README.md LICENSE=LICENSE
  zips+=("$zip")
done
[ -z "$base_url" ] || /usr/bin/python3 tools/release/make-manifests.py dist "$base_url" "$version" "$SOURCE_DATE_EPOCH"

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
  if [ -n "$sign_key" ]; then
    signer=$(tools/release/signer-fingerprint.py "dist/convert-$version-win32.exe.pem" --cert build/release/signer.pem)
    echo "osslsigncode: $(osslsigncode --version | head -n1 | sed "s/,.*//") [$(package_of "$(command -v osslsigncode)")]"
    echo "signature: Authenticode, SHA-256, signing time = source-date-epoch, timestamp: ${timestamp:-none}"
    echo "signer certificate: $(openssl x509 -in build/release/signer.pem -noout -subject -nameopt RFC2253 | sed 's/^subject=//')"
    echo "signer certificate SHA-256: $signer"
  fi
  echo "rebuild: check out the commit on Debian 12 with these package versions and run tools/release/release.sh"
  [ -z "$sign_key" ] || echo "signed: each unsigned program + its .pem (osslsigncode attach-signature) = the signed one; tools/release/verify.sh checks it all"
} >dist/BUILDINFO

# Today's unsigned release lists its zips; a signed one or one with manifests
# lists every file, so that the signatures and manifests are covered too.
if [ -n "$sign_key$base_url" ]; then
  (cd dist && files_of . | grep -vx SHA256SUMS | xargs -d '\n' sha256sum >SHA256SUMS)
else
  (cd dist && sha256sum "${zips[@]}" >SHA256SUMS)
fi

echo "dist/:"
(cd dist && ls -lR && cat SHA256SUMS)
