#!/usr/bin/env bash
# The release made twice and compared: in two fresh clones of the checked-out
# commit at different paths, with different TZ, LANG and umask, every file of
# the two dist/ folders must be the same, byte for byte.
#   tools/release/compare.sh [--keep DIR] [OPTION...]
# The OPTIONs go to both tools/release/release.sh runs (--sign, --url, ...).
# --keep DIR keeps the two clones, with their builds and dist/, in DIR/one/convert
# and DIR/two/a/deeper/path/src, for later steps to reuse (signing,
# verifying against the other build). tools/release/release.sh --check runs this.
# Exit 77: not a git checkout with a commit.
set -euo pipefail
keep=""
if [ "${1:-}" = --keep ]; then
  [ $# -ge 2 ] || { echo "usage: tools/release/compare.sh [--keep DIR] [OPTION...]" >&2; exit 2; }
  keep=$(realpath -m -- "$2")
  shift 2
fi
pass_on=("$@")
cd "$(dirname "${BASH_SOURCE[0]}")/../.."
if ! git rev-parse --verify -q HEAD >/dev/null 2>&1; then
  echo "skipped: not a git checkout with a commit (a release is made from a commit)"
  exit 77
fi
files_of() { (cd "$1" && find . -type f | sed 's|^\./||' | LC_ALL=C sort); }

compare() {
  local commit start
  commit=$(git rev-parse HEAD)
  if [ -n "$keep" ]; then
    rm -rf "$keep" && mkdir -p "$keep" && work=$(realpath "$keep")
  else
    work=$(mktemp -d "${TMPDIR:-/tmp}/convert-release-check.XXXXXX")
    trap 'rm -rf "$work"' EXIT
  fi
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

compare
