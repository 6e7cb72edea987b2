#!/usr/bin/env bash
# Checks a release as a user or a packager would, from its dist/ folder alone:
#   tools/release/verify.sh DIST [--ca CA.pem] [--rebuilt DIR]
#
# 1. SHA256SUMS matches the files, and lists every file of DIST;
# 2. each program's signature verifies (against CA.pem, else the system's
#    certificates), is the published .pem, and its signer is the certificate
#    BUILDINFO names;
# 3. the manifests, if any, against their schemas and the zips
#    (tools/release/check-manifests.py);
# 4. the unsigned programs rebuilt from BUILDINFO's commit, in a fresh clone
#    made from this repository (tools/release/release.sh there), plus the .pem
#    signatures, are the signed programs byte for byte, and the zips are
#    what that commit's tools pack from them. --rebuilt DIR takes the
#    rebuilt programs from DIR/win32/app/convert.exe and DIR/win64/app/convert.exe
#    instead (the build/release folder of a release made elsewhere).
# Any failure says what and exits 1; bad arguments exit 2.
set -euo pipefail

usage() {
  [ -z "${1:-}" ] || echo "tools/release/verify.sh: $1" >&2
  echo "usage: tools/release/verify.sh DIST [--ca CA.pem] [--rebuilt DIR]" >&2
  exit 2
}
dist="" ca="" rebuilt=""
while [ $# -gt 0 ]; do
  case $1 in
    --ca) [ $# -ge 2 ] && [ -r "$2" ] || usage "--ca needs a readable PEM file"; ca=$(realpath -- "$2"); shift 2 ;;
    --rebuilt) [ $# -ge 2 ] && [ -d "$2" ] || usage "--rebuilt needs a folder"; rebuilt=$(realpath -- "$2"); shift 2 ;;
    -*) usage "unknown option $1" ;;
    *) [ -z "$dist" ] || usage "one DIST only"; [ -d "$1" ] || usage "$1: no such folder"; dist=$(realpath -- "$1"); shift ;;
  esac
done
[ -n "$dist" ] || usage

cd "$(dirname "${BASH_SOURCE[0]}")/../.."
tools/env/deps.sh release
work=$(mktemp -d "${TMPDIR:-/tmp}/convert-verify.XXXXXX")
trap 'rm -rf "$work"' EXIT
start=$SECONDS

fail() {
  echo "FAIL: $*" >&2
  exit 1
}
ok() { echo "ok   $*"; }
files_of() { (cd "$1" && find . -type f | sed 's|^\./||' | LC_ALL=C sort); }
info() { sed -n "s/^$1: //p" "$dist/BUILDINFO"; }

# ---- 1. SHA256SUMS
[ -f "$dist/SHA256SUMS" ] || fail "$dist has no SHA256SUMS"
[ -f "$dist/BUILDINFO" ] || fail "$dist has no BUILDINFO"
if ! (cd "$dist" && sha256sum --quiet --strict -c SHA256SUMS) >"$work/sums.log" 2>&1; then
  sed 's/^/    /' "$work/sums.log" >&2
  fail "SHA256SUMS does not match the files of $dist"
fi
sed -E 's/^[0-9a-f]{64} [ *]//' "$dist/SHA256SUMS" | LC_ALL=C sort >"$work/listed"
files_of "$dist" | grep -vx SHA256SUMS >"$work/present" || true
signed="" manifests=""
[ -z "$(info 'signer certificate SHA-256')" ] || signed=yes
[ ! -d "$dist/winget" ] && [ ! -d "$dist/scoop" ] || manifests=yes
# An unsigned release without manifests lists its zips only (BUILDINFO is not listed).
if [ -z "$signed$manifests" ]; then
  grep -vx BUILDINFO "$work/present" >"$work/present.zips" || true
  mv "$work/present.zips" "$work/present"
fi
if ! unlisted=$(LC_ALL=C comm -23 "$work/present" "$work/listed") || [ -n "$unlisted" ]; then
  fail "files of $dist that SHA256SUMS does not cover: $(echo $unlisted)"
fi
ok "SHA256SUMS: $(wc -l <"$work/listed") files, all match"

commit=$(info commit) version=$(info version) epoch=$(info source-date-epoch | cut -d' ' -f1)
[[ $commit =~ ^[0-9a-f]{40}$ ]] && [ -n "$version" ] && [ -n "$epoch" ] ||
  fail "BUILDINFO names no commit, version or source-date-epoch"
expected_signer=$(info 'signer certificate SHA-256')
against=${ca:-"the system's certificates"}

# ---- 2. signatures
arches=(win32 win64)
for arch in "${arches[@]}"; do
  zip=$dist/convert-$version-$arch.zip
  [ -f "$zip" ] || fail "no $(basename "$zip") in $dist"
  mkdir -p "$work/$arch"
  /usr/bin/python3 -c 'import sys, zipfile; sys.stdout.buffer.write(zipfile.ZipFile(sys.argv[1]).read("convert.exe"))' \
    "$zip" >"$work/$arch/published.exe" || fail "$(basename "$zip") holds no convert.exe"
  [ -n "$signed" ] || continue
  pem=$dist/convert-$version-$arch.exe.pem
  [ -f "$pem" ] || fail "no $(basename "$pem") beside $(basename "$zip")"
  if ! osslsigncode verify ${ca:+-CAfile "$ca"} -in "$work/$arch/published.exe" >"$work/$arch/verify.log" 2>&1; then
    grep -E -i 'error|fail|mismatch' "$work/$arch/verify.log" | sed 's/^/    /' >&2 || true
    fail "$arch: the signature of convert.exe in $(basename "$zip") does not verify (against $against)"
  fi
  osslsigncode extract-signature -pem -in "$work/$arch/published.exe" -out "$work/$arch/embedded.pem" >/dev/null 2>&1 ||
    fail "$arch: cannot extract the signature of convert.exe"
  cmp -s "$work/$arch/embedded.pem" "$pem" || fail "$arch: the program's signature is not $(basename "$pem")"
  signer=$(tools/release/signer-fingerprint.py "$pem") || fail "$arch: cannot read the signer of $(basename "$pem")"
  [ "$signer" = "$expected_signer" ] ||
    fail "$arch: signed by the certificate $signer, BUILDINFO names $expected_signer"
  ok "$arch: signature verifies (against $against), is $(basename "$pem"), signer $signer as BUILDINFO says"
done
[ -n "$signed" ] || echo "note: an unsigned release (BUILDINFO names no signer): no signatures to check"

# ---- 3. manifests
if [ -n "$manifests" ]; then
  tools/release/check-manifests.py "$dist" || fail "the manifests do not match the release (above)"
else
  echo "note: no manifests (a release made without --url)"
fi

# ---- 4. the rebuild
if [ -z "$rebuilt" ]; then
  git cat-file -e "$commit^{commit}" 2>/dev/null ||
    fail "the commit $commit is not in this repository: fetch it, then verify again"
  clone=$work/rebuild/convert
  git clone -q --no-checkout "$(git rev-parse --path-format=absolute --git-common-dir)" "$clone"
  git -C "$clone" checkout -q --detach "$commit"
  echo "rebuilding the unsigned programs of $commit in $clone"
  # The release script of that commit, wherever it kept it then.
  script=tools/release/release.sh
  [ -f "$clone/$script" ] || script=tools/release.sh
  if ! (cd "$clone" && "$script") >"$work/rebuild.log" 2>&1; then
    tail -n 30 "$work/rebuild.log" >&2
    fail "the rebuild of $commit failed"
  fi
  rebuilt=$clone/build/release
fi
{ git show "$commit:tools/release/make-zip.py" || git show "$commit:tools/make-zip.py"; } >"$work/make-zip.py" 2>/dev/null && git show "$commit:README.md" >"$work/README.md" &&
  git show "$commit:LICENSE" >"$work/LICENSE" || fail "cannot read the commit's README.md, LICENSE or tools/release/make-zip.py"
for arch in "${arches[@]}"; do
  unsigned=$rebuilt/$arch/app/convert.exe
  [ -f "$unsigned" ] || fail "no rebuilt program $unsigned"
  if [ -n "$signed" ]; then
    pem=$dist/convert-$version-$arch.exe.pem
    # attach-signature checks the signature over the program it attaches to:
    # over a program other than the signed one, it fails with a digest mismatch.
    if ! osslsigncode attach-signature -sigin "$pem" ${ca:+-CAfile "$ca"} -in "$unsigned" -out "$work/$arch/attached.exe" \
        >"$work/$arch/attach.log" 2>&1 ||
       ! cmp -s "$work/$arch/attached.exe" "$work/$arch/published.exe"; then
      grep -E -i 'mismatch|error|fail' "$work/$arch/attach.log" | sed 's/^ */    osslsigncode: /' >&2 || true
      fail "$arch: the rebuilt program plus $(basename "$pem") is not the published convert.exe: it was not built from $commit"
    fi
    ok "$arch: the rebuilt program plus its signature is the published convert.exe, byte for byte"
  else
    cmp -s "$unsigned" "$work/$arch/published.exe" ||
      fail "$arch: the rebuilt program is not the published convert.exe: it was not built from $commit"
    ok "$arch: the rebuilt program is the published convert.exe, byte for byte"
  fi
  (cd "$work" && /usr/bin/python3 make-zip.py "$arch/repacked.zip" "$epoch" \
    convert.exe="$arch/published.exe" README.md=README.md LICENSE=LICENSE)
  cmp -s "$work/$arch/repacked.zip" "$dist/convert-$version-$arch.zip" ||
    fail "$arch: convert-$version-$arch.zip is not what $commit packs (convert.exe, its README.md and LICENSE)"
done
ok "the zips are what $commit packs"
echo "passed: release $version of ${commit:0:12} verified in $((SECONDS - start)) s"
