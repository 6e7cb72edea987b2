#!/usr/bin/env bash
# Publishes a verified release: every file of DIST becomes an asset of the
# GitHub release TAG (created with NOTES, or updated if it exists):
#   .ci/publish.sh [--dry-run] TAG DIST NOTES
# Assets are one flat list, so no two files of DIST may share a name.
# --dry-run prints what it would upload and the gh commands, and needs no gh.
# Otherwise gh reads GH_TOKEN and GH_REPO from the environment.
set -euo pipefail
usage() {
  [ -z "${1:-}" ] || echo ".ci/publish.sh: $1" >&2
  echo "usage: .ci/publish.sh [--dry-run] TAG DIST NOTES" >&2
  exit 2
}
dry_run=""
[ "${1:-}" != --dry-run ] || { dry_run=yes; shift; }
[ $# -eq 3 ] || usage
tag=$1 dist=$2 notes=$3
[[ $tag =~ ^v[0-9][0-9A-Za-z.+-]*$ ]] || usage "$tag is no release tag (v<version>)"
[ -f "$dist/SHA256SUMS" ] || usage "$dist holds no SHA256SUMS: not a release's dist/"
[ -f "$notes" ] || usage "$notes: no such file"

mapfile -t files < <(cd "$dist" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
duplicates=$(printf '%s\n' "${files[@]##*/}" | sort | uniq -d)
[ -z "$duplicates" ] || { echo ".ci/publish.sh: files of $dist share a name, and assets are flat: $duplicates" >&2; exit 1; }
paths=("${files[@]/#/$dist/}")

echo "release $tag: ${#files[@]} assets"
for path in "${paths[@]}"; do
  printf '  %-50s %8d bytes  sha256 %s\n' "${path##*/}" "$(stat -c %s "$path")" "$(sha256sum "$path" | cut -c1-16)…"
done
# The name is the tag; the notes say what it holds.
create=(gh release create "$tag" --verify-tag --title "$tag" --notes-file "$notes" "${paths[@]}")
update=(gh release upload "$tag" --clobber "${paths[@]}")
edit=(gh release edit "$tag" --notes-file "$notes")
if [ -n "$dry_run" ]; then
  echo "dry run: would run, if the release $tag does not exist yet:"
  echo "  ${create[*]}"
  echo "or else:"
  echo "  ${update[*]}"
  echo "  ${edit[*]}"
  exit 0
fi
if gh release view "$tag" >/dev/null 2>&1; then
  "${update[@]}"
  "${edit[@]}"
else
  "${create[@]}"
fi
echo "published $tag: $(gh release view "$tag" --json url --jq .url)"
