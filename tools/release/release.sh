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
  echo "usage: tools/release/release.sh [--check] [--sign FILE.p12 [--timestamp URL]] [--url BASE]" >&2
  exit 2
}
# Read before the cd below: a key's path is the caller's.
check_twice="" sign_key="" timestamp="" base_url="" pass_on=()
while [ $# -gt 0 ]; do
  case $1 in
    --check) check_twice=yes; shift ;;
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

cd "$(dirname "${BASH_SOURCE[0]}")/../.."
root=$PWD

# Every file of a folder, subfolders too, in a fixed order.
files_of() { (cd "$1" && find . -type f | sed 's|^\./||' | LC_ALL=C sort); }

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
    if ! (cd "$work/$dir" && umask "$mask" && TZ=$tz LANG=$lang tools/release/release.sh "${pass_on[@]}") >"$work/${dir%%/*}.log" 2>&1; then
      cat "$work/${dir%%/*}.log"
      echo "FAIL: the release build in $work/$dir failed" >&2
      return 1
    fi
  done
  local a=$work/one/convert/dist b=$work/two/a/deeper/path/src/dist same=yes
  if ! diff -q <(files_of "$a") <(files_of "$b") >/dev/null; then
    echo "FAIL: the two dist/ folders hold different files:"; diff <(files_of "$a") <(files_of "$b") || true
    same=no
  fi
  while IFS= read -r name; do
    f=$a/$name
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
  done < <(files_of "$a")
  echo "two release builds of $commit in $(( $(date +%s) - start )) s"
  if [ "$same" != yes ]; then
    echo "FAIL: the release is not reproducible"
    return 1
  fi
  echo "ok: byte-identical dist/ from both builds"
}

tools/env/deps.sh release
# The key is tried before anything is built: a wrong password must not cost a build.
if [ -n "$sign_key" ]; then
  export CONVERT_SIGN_PASSWORD=${CONVERT_SIGN_PASSWORD-}
  # OpenSSL 3 reads older .p12 files (RC2, 3DES) only with its legacy provider.
  p12() {
    openssl pkcs12 -in "$sign_key" -passin env:CONVERT_SIGN_PASSWORD "$@" 2>/dev/null ||
      openssl pkcs12 -legacy -in "$sign_key" -passin env:CONVERT_SIGN_PASSWORD "$@" 2>/dev/null
  }
  if ! p12 -noout; then
    usage "--sign $sign_key: cannot open it with the password in CONVERT_SIGN_PASSWORD (wrong password, or not a PKCS#12 file)"
  fi
  p12 -nocerts -nodes | grep -q -- '-----BEGIN .*PRIVATE KEY-----' || usage "--sign $sign_key: holds no private key"
  p12 -clcerts -nokeys | grep -q -- '-----BEGIN CERTIFICATE-----' || usage "--sign $sign_key: holds no certificate for its key"
fi

if [ -n "$check_twice" ]; then
  if ! git rev-parse --verify -q HEAD >/dev/null 2>&1; then
    echo "skipped: not a git checkout with a commit (a release is made from a commit)"
    exit 77
  fi
  check
  exit
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

rm -rf build/release dist
for arch in win32 win64; do
  cmake --preset "release-$arch" >/dev/null
  cmake --build --preset "release-$arch"
done
tools/release/pe-check.py build/release/win32/app/convert.exe build/release/win64/app/convert.exe

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/release/win32/CMakeCache.txt)
mkdir dist

# Signed, a program is the unsigned one plus its signature: anyone who rebuilds
# the unsigned program from the commit can attach the published signature and
# get the signed bytes. remove-signature gives the unsigned program back only
# if its PE checksum was right (tools/release/pe-check.py above) and its size a
# multiple of 8 (osslsigncode pads it otherwise); both are checked, and the
# round trip both ways too.
sign() {
  local arch=$1 unsigned=build/release/$1/app/convert.exe signed=build/release/$1/convert-signed.exe
  local pem=dist/convert-$version-$1.exe.pem size log=build/release/$1/osslsigncode.log
  size=$(stat -c %s "$unsigned")
  if [ $((size % 8)) -ne 0 ]; then
    echo "tools/release/release.sh: $unsigned is $size bytes, not a multiple of 8: osslsigncode would pad it, and" >&2
    echo "  the signed program less its signature would not be the unsigned one (align the file at the link)" >&2
    return 1
  fi
  local args=(-pkcs12 "$sign_key" -h sha256 -n "$sign_name" -i "$sign_url" -time "$SOURCE_DATE_EPOCH")
  [ -z "$timestamp" ] || args+=(-ts "$timestamp")
  # The password through a pipe, never on a command line; osslsigncode cannot
  # read an empty one from a file, and needs none then.
  if [ -n "$CONVERT_SIGN_PASSWORD" ]; then
    osslsigncode sign "${args[@]}" -readpass /dev/fd/3 -in "$unsigned" -out "$signed" \
      3< <(printf '%s' "$CONVERT_SIGN_PASSWORD") >"$log" 2>&1 || { cat "$log" >&2; return 1; }
  else
    osslsigncode sign "${args[@]}" -in "$unsigned" -out "$signed" >"$log" 2>&1 || { cat "$log" >&2; return 1; }
  fi
  osslsigncode extract-signature -pem -in "$signed" -out "$pem" >>"$log" 2>&1 || { cat "$log" >&2; return 1; }
  osslsigncode remove-signature -in "$signed" -out "$signed.removed" >>"$log" 2>&1 || { cat "$log" >&2; return 1; }
  if ! cmp -s "$signed.removed" "$unsigned"; then
    echo "tools/release/release.sh: $arch: the signed program less its signature is not the unsigned program" >&2
    return 1
  fi
  # The certificates only have to be found here, to attach: whether they are
  # trusted is tools/release/verify.sh's question.
  osslsigncode attach-signature -sigin "$pem" -CAfile "$chain" -in "$unsigned" -out "$signed.attached" \
    >>"$log" 2>&1 || { cat "$log" >&2; return 1; }
  if ! cmp -s "$signed.attached" "$signed"; then
    echo "tools/release/release.sh: $arch: the unsigned program plus $pem is not the signed program" >&2
    return 1
  fi
  rm -f "$signed.removed" "$signed.attached"
  echo "signed $unsigned (${size} -> $(stat -c %s "$signed") bytes): $pem; round trip both ways byte for byte"
}
if [ -n "$sign_key" ]; then
  sign_name=$(/usr/bin/python3 tools/release/make-manifests.py --field locale.en-US.name)
  sign_url=$(/usr/bin/python3 tools/release/make-manifests.py --field homepage)
  [ -z "$timestamp" ] || echo "tools/release/release.sh: timestamps from $timestamp (needs the network; the signed programs then differ from one signing to the next)"
  chain=build/release/chain.pem
  { cat /etc/ssl/certs/ca-certificates.crt 2>/dev/null || true; p12 -nokeys; } >"$chain"
  for arch in win32 win64; do sign "$arch"; done
fi

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
