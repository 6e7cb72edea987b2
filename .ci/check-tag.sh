#!/usr/bin/env bash
# A release is cut by pushing the tag v<version>, the version being the one
# set in project() of CMakeLists.txt: .ci/check-tag.sh TAG fails, saying so,
# for any other tag.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
[ $# -eq 1 ] || { echo "usage: .ci/check-tag.sh TAG" >&2; exit 2; }
tag=$1
version=$(sed -n 's/^project(convert VERSION \([0-9][0-9.]*\)[ )].*/\1/p' CMakeLists.txt)
[ -n "$version" ] || { echo ".ci/check-tag.sh: no version in project() of CMakeLists.txt" >&2; exit 1; }
if [ "$tag" != "v$version" ]; then
  message="the tag $tag is not v$version, the version in project() of CMakeLists.txt: push the tag v$version, or set the version and tag that commit"
  # On GitHub the message is also the run's annotation.
  [ -z "${GITHUB_ACTIONS:-}" ] || echo "::error title=Tag and version differ::$message"
  echo ".ci/check-tag.sh: $message" >&2
  exit 1
fi
echo "ok   the tag $tag is the version $version of project() in CMakeLists.txt"
