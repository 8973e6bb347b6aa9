// Validates glTF files with the Khronos glTF validator and prints, per file, the
// counts of errors, warnings, infos and hints, then every error and warning.
// Usage: node validate.mjs FILE...   Exit status 1 when any file has an error or warning.
import { readFile } from 'node:fs/promises';
import path from 'node:path';
import validator from 'gltf-validator';

let failed = false;
for (const file of process.argv.slice(2)) {
  const data = new Uint8Array(await readFile(file));
  const report = await validator.validateBytes(data, {
    uri: path.basename(file),
    externalResourceFunction: (uri) => readFile(path.join(path.dirname(file), decodeURIComponent(uri)))
      .then((bytes) => new Uint8Array(bytes)),
  });
  const issues = report.issues;
  console.log(`${file}: ${issues.numErrors} errors, ${issues.numWarnings} warnings, ${issues.numInfos} infos, ` +
              `${issues.numHints} hints`);
  for (const message of issues.messages) {
    if (message.severity <= 1) console.log(`  ${message.code} ${message.pointer ?? ''}: ${message.message}`);
  }
  failed = failed || issues.numErrors > 0 || issues.numWarnings > 0;
}
process.exit(failed ? 1 : 0);
