#!/usr/bin/env bash
# The signed release of the checked-out commit, end to end, with a CA and
# code-signing certificates made for this run only (no key is committed):
#   tests/release/signing-test.sh [BUILDS]
# BUILDS: the two release builds of this commit that tools/release/compare.sh
# --keep BUILDS left; they are signed and verified here, not built again (without
# BUILDS they are made first, in a temporary folder).
#   - tools/release/release.sh refuses bad options and keys before building anything;
#   - a signed release with manifests, from the first build; both programs verify
#     against the test CA (and not against the system's certificates);
#   - the round trip both ways, byte for byte: signed less its signature is the
#     unsigned program, unsigned plus its .pem is the signed one; signing again
#     gives the same bytes;
#   - tools/release/verify.sh (the clone's) passes it against the second build, and
#     fails every tampered copy in the table below, each remade to look whole
#     where the fault allows (zip, manifests, SHA256SUMS).
# Exit 77: not a git checkout with a commit.
set -eEuo pipefail
trap 'echo "FAIL: line $LINENO: $BASH_COMMAND" >&2' ERR
cd "$(dirname "${BASH_SOURCE[0]}")/../.."
tools/env/deps.sh release
if ! git rev-parse --verify -q HEAD >/dev/null 2>&1; then
  echo "skipped: not a git checkout with a commit (a release is made from a commit)"
  exit 77
fi
commit=$(git rev-parse HEAD)
work=$(mktemp -d "${TMPDIR:-/tmp}/convert-signing-test.XXXXXX")
trap 'rm -rf "$work"' EXIT
base=https://downloads.chengyanshe.example/convert/1.0.0
builds=${1:-}
if [ -z "$builds" ]; then
  builds=$work/builds
  tools/release/compare.sh --keep "$builds" --url "$base" >"$work/compare.log" 2>&1 ||
    { cat "$work/compare.log"; echo "FAIL: the two release builds"; exit 1; }
fi
builds=$(realpath "$builds")
for build in one/convert two/a/deeper/path/src; do
  [ "$(git -C "$builds/$build" rev-parse HEAD 2>/dev/null)" = "$commit" ] && [ -f "$builds/$build/dist/BUILDINFO" ] ||
    { echo "FAIL: $builds/$build holds no release build of $commit (tools/release/compare.sh --keep)"; exit 1; }
done
failures=0
pass() { echo "ok   $*"; }
bad() {
  echo "FAIL $*"
  failures=$((failures + 1))
}
files_of() { (cd "$1" && find . -type f | sed 's|^\./||' | LC_ALL=C sort); }

# ---- The throwaway CA, and two code-signing certificates it issued.
pki=$work/pki
mkdir -p "$pki"
cat >"$pki/ca.cnf" <<'EOF'
[ca]
default_ca = test_ca
[test_ca]
database = index.txt
new_certs_dir = .
serial = serial
default_md = sha256
policy = any_name
copy_extensions = none
unique_subject = no
[any_name]
commonName = supplied
[ca_cert]
basicConstraints = critical, CA:true
keyUsage = critical, keyCertSign, cRLSign
subjectKeyIdentifier = hash
[signer_cert]
basicConstraints = critical, CA:false
keyUsage = critical, digitalSignature
extendedKeyUsage = codeSigning
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid
EOF
password="test password, made for this run"
(
  cd "$pki"
  touch index.txt && echo 01 >serial
  # Valid from long before the commit: the signature is dated the commit's time.
  dates=(-startdate 20000101000000Z -enddate 20991231000000Z)
  openssl req -new -newkey rsa:2048 -nodes -keyout ca.key -subj "/CN=convert signing test CA" -out ca.csr 2>/dev/null
  openssl ca -batch -config ca.cnf -selfsign -keyfile ca.key -in ca.csr -extensions ca_cert "${dates[@]}" -notext -out ca.pem 2>/dev/null
  for name in signer other; do
    openssl req -new -newkey rsa:2048 -nodes -keyout $name.key -subj "/CN=convert test $name" -out $name.csr 2>/dev/null
    openssl ca -batch -config ca.cnf -cert ca.pem -keyfile ca.key -in $name.csr -extensions signer_cert "${dates[@]}" \
      -notext -out $name.pem 2>/dev/null
    openssl pkcs12 -export -inkey $name.key -in $name.pem -certfile ca.pem -passout pass:"$password" -out $name.p12
  done
  openssl pkcs12 -export -nokeys -in signer.pem -passout pass: -out cert-only.p12
  echo "not a key" >not-a-key.p12
)
fingerprint=$(openssl x509 -in "$pki/signer.pem" -noout -fingerprint -sha256 | sed 's/^.*=//')

clone() {
  git clone -q --no-checkout "$(git rev-parse --path-format=absolute --git-common-dir)" "$1"
  git -C "$1" checkout -q --detach "$commit"
}

# ---- Refused before anything is built: args | CONVERT_SIGN_PASSWORD | message
refusals=(
  "--bogus||unknown option --bogus"
  "--sign||--sign needs the key file"
  "--sign $pki/missing.p12||no such readable file"
  "--sign $pki/signer.p12|wrong password|wrong password"
  "--sign $pki/not-a-key.p12||not a PKCS#12 file"
  "--sign $pki/cert-only.p12||holds no private key"
  "--timestamp https://timestamp.example||--timestamp goes with --sign"
  "--url downloads.example||--url needs"
)
clone "$work/refused"
for row in "${refusals[@]}"; do
  IFS='|' read -r args pw message <<<"$row"
  rc=0
  # shellcheck disable=SC2086 # the options are words
  (cd "$work/refused" && CONVERT_SIGN_PASSWORD=$pw tools/release/release.sh $args) >"$work/refused.log" 2>&1 || rc=$?
  if [ $rc -eq 2 ] && grep -qF -- "$message" "$work/refused.log" && grep -q '^usage: ' "$work/refused.log" &&
     [ ! -e "$work/refused/build" ] && [ ! -e "$work/refused/dist" ]; then
    pass "refused before building: $args ($message)"
  else
    bad "tools/release/release.sh $args: exit $rc, want 2 with \"$message\" and a usage line, nothing built:"
    sed 's/^/    /' "$work/refused.log"
  fi
done

# ---- The signed release: the first build's programs, signed (a copy of its
# clone, so that the unsigned release stays as it was).
one=$work/one/convert rebuilt=$builds/two/a/deeper/path/src/build/release
mkdir -p "$(dirname "$one")" && cp -a "$builds/one/convert" "$one"
sign_start=$SECONDS
if ! (cd "$one" && CONVERT_SIGN_PASSWORD=$password tools/release/release.sh --reuse-build --sign "$pki/signer.p12" --url "$base") \
    >"$work/release.log" 2>&1; then
  cat "$work/release.log"
  echo "FAIL: tools/release/release.sh --sign failed"
  exit 1
fi
sign_took=$((SECONDS - sign_start))
dist=$one/dist
version=$(sed -n 's/^version: //p' "$dist/BUILDINFO")
epoch=$(git log -1 --format=%ct "$commit")
echo "signed release in $sign_took s: $(files_of "$dist" | tr '\n' ' ')"
grep -qx "signer certificate SHA-256: $fingerprint" "$dist/BUILDINFO" && grep -q '^osslsigncode: ' "$dist/BUILDINFO" &&
  pass "BUILDINFO names osslsigncode and the signer's fingerprint" ||
  bad "BUILDINFO lacks osslsigncode or the signer's fingerprint $fingerprint"

zip_program() { /usr/bin/python3 -c 'import sys, zipfile; sys.stdout.buffer.write(zipfile.ZipFile(sys.argv[1]).read("convert.exe"))' "$1"; }
sign_program() {  # KEY IN OUT
  osslsigncode sign -pkcs12 "$1" -readpass /dev/fd/3 -h sha256 -n "$(tools/release/make-manifests.py --field locale.en-US.name)" \
    -i "$(tools/release/make-manifests.py --field homepage)" -time "$epoch" -in "$2" -out "$3" 3< <(printf %s "$password") >/dev/null
}
for arch in win32 win64; do
  unsigned=$one/build/release/$arch/app/convert.exe signed=$work/$arch-signed.exe pem=$dist/convert-$version-$arch.exe.pem
  zip_program "$dist/convert-$version-$arch.zip" >"$signed"
  osslsigncode verify -CAfile "$pki/ca.pem" -in "$signed" >/dev/null 2>&1 &&
    pass "$arch: the signature verifies against the test CA" || bad "$arch: the signature does not verify against the test CA"
  ! osslsigncode verify -in "$signed" >/dev/null 2>&1 &&
    pass "$arch: ... and not against the system's certificates" || bad "$arch: the test certificate verified against the system's"
  osslsigncode remove-signature -in "$signed" -out "$work/$arch-removed.exe" >/dev/null
  cmp -s "$work/$arch-removed.exe" "$unsigned" &&
    pass "$arch: signed less its signature = unsigned, byte for byte" || bad "$arch: remove-signature does not give the unsigned program"
  osslsigncode attach-signature -sigin "$pem" -CAfile "$pki/ca.pem" -in "$unsigned" -out "$work/$arch-attached.exe" >/dev/null
  cmp -s "$work/$arch-attached.exe" "$signed" &&
    pass "$arch: unsigned + $(basename "$pem") = signed, byte for byte" || bad "$arch: attach-signature does not give the signed program"
  sign_program "$pki/signer.p12" "$unsigned" "$work/$arch-again.exe"
  cmp -s "$work/$arch-again.exe" "$signed" && pass "$arch: signing again gives the same bytes" || bad "$arch: signing is not reproducible"
done

verify_start=$SECONDS
if "$one/tools/release/verify.sh" "$dist" --ca "$pki/ca.pem" --rebuilt "$rebuilt" >"$work/verify.log" 2>&1; then
  pass "tools/release/verify.sh passes the signed release (against the second build) in $((SECONDS - verify_start)) s"
else
  bad "tools/release/verify.sh fails the signed release:"
  sed 's/^/    /' "$work/verify.log"
fi
verify_took=$((SECONDS - verify_start))

# ---- Tampered copies. Each starts from the signed dist/, is changed by its
# function (in $copy), and must fail tools/release/verify.sh with its message.
remake_zip() {  # ARCH PROGRAM
  tools/release/make-zip.py "$copy/convert-$version-$1.zip" "$epoch" convert.exe="$2" README.md=README.md LICENSE=LICENSE
}
remake_manifests() { tools/release/make-manifests.py "$copy" "$base" "$version" "$epoch"; }
remake_sums() { (cd "$copy" && files_of . | grep -vx SHA256SUMS | xargs -d '\n' sha256sum >SHA256SUMS); }
one_byte_changed() {  # IN OUT: one byte of the code changed
  /usr/bin/python3 -c 'import sys; d = bytearray(open(sys.argv[1], "rb").read()); d[0x600] ^= 1; open(sys.argv[2], "wb").write(d)' "$1" "$2"
}
win32_signed=$work/win32-signed.exe win32_unsigned=$one/build/release/win32/app/convert.exe
pem32=convert-$version-win32.exe.pem

stale_sums() { echo "# changed" >>"$copy/BUILDINFO"; }
unlisted_file() { echo extra >"$copy/extra.txt"; }
changed_byte() {
  one_byte_changed "$win32_signed" "$work/changed.exe"
  remake_zip win32 "$work/changed.exe"
  remake_manifests
  remake_sums
}
changed_byte_resigned() {  # a valid signature by the right key over a program not built from the commit
  one_byte_changed "$win32_unsigned" "$work/changed-unsigned.exe"
  sign_program "$pki/signer.p12" "$work/changed-unsigned.exe" "$work/changed-signed.exe"
  rm "$copy/$pem32"
  osslsigncode extract-signature -pem -in "$work/changed-signed.exe" -out "$copy/$pem32" >/dev/null
  remake_zip win32 "$work/changed-signed.exe"
  remake_manifests
  remake_sums
}
other_signer() {
  sign_program "$pki/other.p12" "$win32_unsigned" "$work/other-signed.exe"
  rm "$copy/$pem32"
  osslsigncode extract-signature -pem -in "$work/other-signed.exe" -out "$copy/$pem32" >/dev/null
  remake_zip win32 "$work/other-signed.exe"
  remake_manifests
  remake_sums
}
winget_wrong_hash() {  # the x86 installer given the x64 zip's hash
  local h32 h64
  h32=$(sha256sum "$copy/convert-$version-win32.zip" | cut -c1-64 | tr a-f A-F)
  h64=$(sha256sum "$copy/convert-$version-win64.zip" | cut -c1-64 | tr a-f A-F)
  sed -i "s/InstallerSha256: \"$h32\"/InstallerSha256: \"$h64\"/" "$copy"/winget/*.installer.yaml
  remake_sums
}
winget_alias_convert() { sed -i 's/PortableCommandAlias: ".*"/PortableCommandAlias: "convert"/' "$copy"/winget/*.installer.yaml && remake_sums; }
winget_manifest_version() { sed -i 's/ManifestVersion: "1.12.0"/ManifestVersion: "1.10.0"/' "$copy"/winget/*.locale.en-US.yaml && remake_sums; }
scoop_wrong_hash() {
  /usr/bin/python3 - "$copy"/scoop/*.json <<'PY'
import json, sys
doc = json.load(open(sys.argv[1]))
doc["architecture"]["32bit"]["hash"] = doc["architecture"]["64bit"]["hash"]
json.dump(doc, open(sys.argv[1], "w"), ensure_ascii=False, indent=4)
PY
  remake_sums
}
scoop_bin_convert() { sed -i 's/"chicun"$/"convert"/' "$copy"/scoop/*.json && remake_sums; }

# function | the failure it must give
tampered=(
  "stale_sums|SHA256SUMS does not match"
  "unlisted_file|SHA256SUMS does not cover: extra.txt"
  "changed_byte|win32: the signature of convert.exe"
  "changed_byte_resigned|win32: the rebuilt program plus $pem32 is not the published convert.exe"
  "other_signer|win32: signed by the certificate"
  "winget_wrong_hash|x86: InstallerSha256"
  "winget_alias_convert|the command alias is 'convert'"
  "winget_manifest_version|ManifestVersion is '1.10.0'"
  "scoop_wrong_hash|32bit: hash"
  "scoop_bin_convert|bin: the command alias is 'convert'"
)
refused=0
for row in "${tampered[@]}"; do
  IFS='|' read -r change message <<<"$row"
  copy=$work/tampered/$change
  mkdir -p "$(dirname "$copy")" && cp -a "$dist" "$copy"
  (
    cd "$one"
    "$change"
  )
  rc=0
  "$one/tools/release/verify.sh" "$copy" --ca "$pki/ca.pem" --rebuilt "$rebuilt" >"$work/tampered.log" 2>&1 || rc=$?
  if [ $rc -eq 1 ] && grep -qF -- "$message" "$work/tampered.log"; then
    pass "tampered ($change): $(grep -m1 -F -- "$message" "$work/tampered.log" | sed 's/^FAIL:* *//')"
    refused=$((refused + 1))
  else
    bad "tampered ($change): exit $rc, want 1 with \"$message\":"
    sed 's/^/    /' "$work/tampered.log"
  fi
done

if [ $failures -ne 0 ]; then
  echo "FAIL: $failures checks failed"
  exit 1
fi
echo "passed: signed release ${sign_took} s, verified ${verify_took} s, ${#refusals[@]} bad options refused, $refused tampered copies caught"
