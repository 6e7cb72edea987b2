#!/usr/bin/env bash
# The notes of a GitHub release, from its dist/ folder alone:
#   .ci/release-notes.sh DIST > notes.md
# What to download, whether and by whom it is signed (an unsigned release
# says so), how to check it, and the SHA256SUMS.
set -euo pipefail
[ $# -eq 1 ] && [ -f "$1/BUILDINFO" ] && [ -f "$1/SHA256SUMS" ] ||
  { echo "usage: .ci/release-notes.sh DIST (a release's dist/, with BUILDINFO and SHA256SUMS)" >&2; exit 2; }
dist=$1
info() { sed -n "s/^$1: //p" "$dist/BUILDINFO"; }
version=$(info version) commit=$(info commit) signer=$(info 'signer certificate') fingerprint=$(info 'signer certificate SHA-256')

cat <<EOF2
厘米《＝》尺、寸 转化 (centimetre, chi and cun converter) $version, built from ${commit:0:12} on Debian 12.

- \`convert-$version-win32.zip\`: the program to download (32-bit, Windows 7 or later); unpack it and run \`convert.exe\`.
- \`convert-$version-win64.zip\`: the same for 64-bit Windows.
- \`SHA256SUMS\`, \`BUILDINFO\` (the commit and the exact Debian packages that built it), and the winget and Scoop manifests (\`*.yaml\`, \`chicun.json\`).

EOF2
if [ -n "$fingerprint" ]; then
  cat <<EOF2
**Signed** (Authenticode, SHA-256) by \`$signer\`, certificate SHA-256 fingerprint \`$fingerprint\`; each program's signature is also attached (\`.exe.pem\`).

EOF2
else
  cat <<EOF2
**This release is unsigned**: the repository that built it holds no signing key. Windows will warn that the publisher is unknown; check the zip against \`SHA256SUMS\` before running it.

EOF2
fi
cat <<EOF2
Check a download: \`sha256sum -c --ignore-missing SHA256SUMS\` (on Windows \`certutil -hashfile convert-$version-win32.zip SHA256\`). Rebuild it: check out ${commit:0:12} on Debian 12 with the packages \`BUILDINFO\` names and run \`tools/release/release.sh\`; \`tools/release/verify.sh\` checks a release against its rebuild.

\`\`\`
$(cat "$dist/SHA256SUMS")
\`\`\`
EOF2
