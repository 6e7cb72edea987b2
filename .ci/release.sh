#!/usr/bin/env bash
# The release of a pushed tag, signed where the repository has a key, and
# checked: .ci/release.sh TAG OWNER/REPO
# Writes dist/ for zips downloaded from https://github.com/OWNER/REPO/releases/download/TAG
# (tools/release/release.sh --url), then tools/release/verify.sh checks it.
# From the environment (the repository's secrets; absent in a fork):
#   CONVERT_SIGN_P12_BASE64  the PKCS#12 key and certificate, base64; empty: unsigned
#   CONVERT_SIGN_PASSWORD    its password
#   CONVERT_SIGN_CA_PEM      optional: the CA to verify against, when the
#                            certificate chains to none that Debian trusts
# The key is written to a file only while tools/release/release.sh signs, then removed.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
usage() {
  [ -z "${1:-}" ] || echo ".ci/release.sh: $1" >&2
  echo "usage: .ci/release.sh TAG OWNER/REPO" >&2
  exit 2
}
[ $# -eq 2 ] || usage
tag=$1 repository=$2
[[ $tag =~ ^v[0-9][0-9A-Za-z.+-]*$ ]] || usage "$tag is no release tag (v<version>)"
[[ $repository =~ ^[A-Za-z0-9_.-]+/[A-Za-z0-9_.-]+$ ]] || usage "$repository is not OWNER/REPO"
base=https://github.com/$repository/releases/download/$tag

# The secrets leave the environment at once: only tools/release/release.sh gets the
# password, the way it reads it, and the key as a file of its own.
key_base64=${CONVERT_SIGN_P12_BASE64:-} password=${CONVERT_SIGN_PASSWORD:-} ca=${CONVERT_SIGN_CA_PEM:-}
unset CONVERT_SIGN_P12_BASE64 CONVERT_SIGN_PASSWORD CONVERT_SIGN_CA_PEM
secrets=$(mktemp -d "${RUNNER_TEMP:-${TMPDIR:-/tmp}}/convert-signing.XXXXXX")
trap 'rm -rf "$secrets"' EXIT
chmod 700 "$secrets"
verify=()
if [ -n "$key_base64" ]; then
  key=$secrets/signing.p12
  (umask 077 && base64 -d <<<"$key_base64" >"$key") 2>/dev/null || usage "CONVERT_SIGN_P12_BASE64 is not base64"
  unset key_base64
  if [ -n "$ca" ]; then
    printf '%s\n' "$ca" >"$secrets/ca.pem"
    verify+=(--ca "$secrets/ca.pem")
  fi
  echo "signed release of $tag for $base"
  CONVERT_SIGN_PASSWORD=$password tools/release/release.sh --sign "$key" --url "$base"
  rm -f "$key"
else
  echo "unsigned release of $tag for $base: no signing key (CONVERT_SIGN_P12_BASE64) in this repository's secrets"
  tools/release/release.sh --url "$base"
fi
unset password
tools/release/verify.sh dist "${verify[@]}"
