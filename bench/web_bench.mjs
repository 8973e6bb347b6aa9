// The web module under node on the benchmarks' large model: loading (MB/s of mesh text)
// and posing (ns a vertex) on the module's fastest path (SSE2 as wasm SIMD) and its
// plain path. Prints one median line each, in milliseconds, as bench/report.sh reads them.
//   node web_bench.mjs WEB_DIR MODEL_FOLDER [REPETITIONS]
import { readFileSync, readdirSync } from 'node:fs';
import { join, resolve } from 'node:path';
import { pathToFileURL } from 'node:url';

const [webDir, folder, repetitions = '7'] = process.argv.slice(2);
const { default: createBRMath } = await import(pathToFileURL(join(resolve(webDir), 'brmath.mjs')).href);
const brmath = await createBRMath();
const files = Object.fromEntries(readdirSync(folder).map((name) => [name, new Uint8Array(readFileSync(join(folder, name)))]));
const meshBytes = Object.entries(files).find(([name]) => name.endsWith('.md5mesh'))[1].length;
const median = (times) => times.sort((a, b) => a - b)[Math.floor(times.length / 2)];
const timed = (run, count) => {
  const times = [];
  for (let r = 0; r < Number(repetitions); ++r) {
    const start = process.hrtime.bigint();
    for (let i = 0; i < count; ++i) run(i);
    times.push(Number(process.hrtime.bigint() - start) / 1e6 / count);
  }
  return median(times);
};

// Loading: the files are in the module's memory already, as a page's drop puts them;
// the library reads, parses, checks, skins and computes normals (md5tool check's
// reading of the same files, for the messages, is left out of the time).
const core = brmath.load(files);
const vertices = core.meshes.reduce((sum, mesh) => sum + mesh.vertices, 0);
const load = timed(() => core.reload(), 3);
console.log(`web_load_median ${load.toFixed(3)} ms mesh_MB_per_s=${(meshBytes / 1e6 / (load / 1e3)).toFixed(1)}`);
for (const [name, plain] of [['simd', false], ['plain', true]]) {
  core.usePlainPath(plain);
  let frame = 0;
  const pose = timed(() => core.proceed(0, frame++), 50);
  console.log(`web_pose_${name}_median ${pose.toFixed(3)} ms per_vertex=${(pose * 1e6 / vertices).toFixed(2)}ns`);
}
core.free();
