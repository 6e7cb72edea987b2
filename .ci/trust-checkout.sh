#!/usr/bin/env bash
# In a container job the steps run as root in a workspace that the runner's
# own user made, so git refuses the checkout as someone else's ("dubious
# ownership"): actions/checkout trusts it only for itself. This trusts it for
# the rest of the job (git's global configuration lives in the job's HOME),
# and fails when git still cannot read it.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
git rev-parse --git-dir >/dev/null 2>&1 || git config --global --add safe.directory "$PWD"
echo "the checkout at $PWD: commit $(git rev-parse HEAD)"
