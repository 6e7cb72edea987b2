# Sourced by tools/release/release.sh: the signing of both programs with
# the PKCS#12 key $sign_key (password in CONVERT_SIGN_PASSWORD).
#   check_key        refuses (usage, exit 2) a key that cannot sign, before anything is built
#   sign_programs    signs build/release/<arch>/app/convert.exe into convert-signed.exe and
#                    writes each signature to dist/convert-<version>-<arch>.exe.pem

check_key() {
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
}

# Signed, a program is the unsigned one plus its signature: anyone who rebuilds
# the unsigned program from the commit can attach the published signature and
# get the signed bytes. remove-signature gives the unsigned program back only
# if its PE checksum was right (tools/release/pe-check.py above) and its size a
# multiple of 8 (osslsigncode pads it otherwise); both are checked, and the
# round trip both ways too.
sign_program() {
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
sign_programs() {
  sign_name=$(/usr/bin/python3 tools/release/make-manifests.py --field locale.en-US.name)
  sign_url=$(/usr/bin/python3 tools/release/make-manifests.py --field homepage)
  [ -z "$timestamp" ] || echo "tools/release/release.sh: timestamps from $timestamp (needs the network; the signed programs then differ from one signing to the next)"
  chain=build/release/chain.pem
  { cat /etc/ssl/certs/ca-certificates.crt 2>/dev/null || true; p12 -nokeys; } >"$chain"
  for arch in win32 win64; do sign_program "$arch"; done
}
