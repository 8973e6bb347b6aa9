// The web module against md5tool, in node: the same pose streams to the bit, the same
// export and import bytes, the same verdicts and first error lines on the malformed
// corpus.
//   node module_test.mjs WEB_DIR MD5TOOL SOURCE_DIR SCRATCH
import { execFileSync, spawnSync } from 'node:child_process';
import { mkdirSync, readFileSync, readdirSync, rmSync, writeFileSync } from 'node:fs';
import { basename, dirname, join, resolve } from 'node:path';
import { pathToFileURL } from 'node:url';

const [webDir, md5tool, source, scratch] = process.argv.slice(2).map((path) => resolve(path));
const { default: createBRMath } = await import(pathToFileURL(join(webDir, 'brmath.mjs')).href);
const brmath = await createBRMath();
let failures = 0;
const fail = (what) => {
  console.log(`FAILED: ${what}`);
  ++failures;
};

const filesOf = (folder, keep = () => true) => {
  const files = {};
  for (const name of readdirSync(folder).sort()) {
    if (keep(name)) files[name] = new Uint8Array(readFileSync(join(folder, name)));
  }
  return files;
};
const sameBytes = (a, b) => a.length === b.length && Buffer.compare(Buffer.from(a), Buffer.from(b)) === 0;

// 1. Every clip at frames 0, 1, the middle, the last and -1: the module's stream and
// md5tool pose --json's, float for float, NaNs made one.
const bits = new Uint32Array(1);
const floatBits = (value) => {
  const f = new Float32Array(bits.buffer);
  f[0] = value;
  return Number.isNaN(f[0]) ? 0x7fc00000 : bits[0];
};
const jsonFloat = (v) => (v === 'nan' ? NaN : v === 'inf' ? Infinity : v === '-inf' ? -Infinity : v);
const models = [
  join(source, 'samples/robot/robot.md5mesh'),
  join(source, 'tests/data/rig/rig.md5mesh'),
  join(source, 'tests/data/gltf/skeletons.md5mesh'),
];
let posed = 0;
for (const mesh of models) {
  const files = filesOf(dirname(mesh), (n) => /\.(md5mesh|md5anim)$/i.test(n) && (n === basename(mesh) || n.endsWith('.md5anim')));
  const model = brmath.load(files, { mesh: basename(mesh) });
  if (!model.ok) {
    fail(`${mesh} does not load in the module: ${model.error}`);
    continue;
  }
  model.clips.forEach((clip, c) => {
    const frames = [...new Set([0, 1, Math.floor(clip.frames / 2), clip.frames - 1, -1])];
    const args = ['pose', mesh, '--clip', String(c), '--json', ...frames.flatMap((f) => ['--frame', String(f)])];
    const document = JSON.parse(execFileSync(md5tool, args, { maxBuffer: 1 << 30 }).toString());
    frames.forEach((frame, k) => {
      const expected = document.states[k].render.calls.filter((call) => call.vertices).flatMap((call) => call.vertices.flat());
      const stream = model.pose(c, frame);
      let differs = expected.length !== stream.length ? 'its length' : '';
      for (let i = 0; !differs && i < stream.length; ++i) {
        if (floatBits(stream[i]) !== floatBits(jsonFloat(expected[i]))) differs = `float ${i}`;
      }
      if (differs) fail(`${basename(mesh)} clip ${c} frame ${frame}: the module's stream differs from md5tool's in ${differs}`);
      ++posed;
    });
  });
  model.free();
}
console.log(`poses: ${posed} (models x clips x frames) compared with md5tool pose`);

// 2. Export: the sample with and without a texture beside it.
mkdirSync(scratch, { recursive: true });
const robot = join(source, 'samples/robot');
const textured = join(scratch, 'textured');
rmSync(textured, { recursive: true, force: true });
mkdirSync(join(textured, 'robot'), { recursive: true });
for (const name of readdirSync(robot)) execFileSync('cp', [join(robot, name), textured]);
// A TGA as the body's image, which export converts to PNG.
const tga = new Uint8Array([0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 2, 0, 24, 0,
  0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255]);
writeFileSync(join(textured, 'robot/body.tga'), tga);
for (const folder of [robot, textured]) {
  const out = join(scratch, `${basename(folder)}.glb`);
  execFileSync(md5tool, ['export', join(folder, 'robot.md5mesh'), '-o', out]);
  const files = filesOf(folder, (n) => !n.startsWith('.') && n !== 'robot');
  if (folder === textured) files['body.tga'] = tga;
  const model = brmath.load(files);
  const exported = model.exportGlb();
  if (!exported.ok || !sameBytes(exported.bytes, readFileSync(out))) {
    fail(`exportGlb of ${folder} differs from md5tool export (${exported.bytes.length} bytes, ${exported.messages})`);
  }
  model.free();
}

// 3. Import of the Blender-made model: the same names and bytes.
const blender = join(source, 'tests/data/gltf/blender/rigged.glb');
const importFolder = join(scratch, 'imported');
rmSync(importFolder, { recursive: true, force: true });
execFileSync(md5tool, ['import', blender, '-o', importFolder]);
const imported = brmath.importGltf('rigged.glb', new Uint8Array(readFileSync(blender)));
const written = readdirSync(importFolder).sort();
if (!imported.ok || Object.keys(imported.files).sort().join() !== written.join()) {
  fail(`importGltf wrote ${Object.keys(imported.files)}, md5tool import ${written}: ${imported.messages}`);
} else {
  for (const name of written) {
    if (!sameBytes(imported.files[name], readFileSync(join(importFolder, name)))) fail(`importGltf's ${name} differs`);
  }
}

// 4. The malformed corpus: accepted or rejected as md5tool check has it, with its first
// error line, and the module still answers after each.
const corpus = join(source, 'tests/data/malformed');
let checked = 0;
for (const name of readdirSync(corpus).filter((n) => n.endsWith('.md5mesh'))) {
  const check = spawnSync(md5tool, ['check', name], { cwd: corpus });
  const firstError = check.stdout.toString().split('\n').find((line) => line.includes(': error: ')) ?? '';
  const model = brmath.load({ [name]: new Uint8Array(readFileSync(join(corpus, name))) });
  const moduleError = model.messages.find((line) => line.includes(': error: ')) ?? '';
  if (model.ok !== (check.status === 0) || moduleError !== firstError) {
    fail(`${name}: md5tool check says ${check.status === 0 ? 'OK' : firstError}, the module ${model.ok ? 'OK' : moduleError}`);
  }
  model.free();
  ++checked;
}
const afterAll = brmath.load(filesOf(robot));
if (!afterAll.ok) fail('the module no longer loads the sample after the corpus');
console.log(`malformed meshes: ${checked} compared with md5tool check`);
// 5. A game base: the sample game's robot poses as md5tool pose --base has it, and a
// damaged archive's entries get md5tool's messages.
const base = brmath.gameBase();
await base.addArchive('pak000.pk4', new Uint8Array(readFileSync(join(source, 'samples/game/pak000.pk4'))));
await base.readDeclarations();
const listed = base.models().map((model) => model.name).join();
if (listed !== 'robot,robot_entity') fail(`the base lists ${listed}`);
const gameRobot = await base.load('robot');
const posedGame = JSON.parse(execFileSync(md5tool, ['pose', 'robot', '--base', join(source, 'samples/game'), '--clip', 'walk',
                                                    '--frame', '7', '--json'], { maxBuffer: 1 << 30 }));
const gameStream = gameRobot.pose(1, 7);
const device = posedGame.states[0].render.calls.filter((call) => call.vertices).flatMap((call) => call.vertices.flat());
if (!gameRobot.ok || gameRobot.clips.map((clip) => clip.name).join() !== 'idle,walk,wave' || gameRobot.maps(0) === null ||
    device.length !== gameStream.length || device.some((v, i) => floatBits(jsonFloat(v)) !== floatBits(gameStream[i]))) {
  fail('the game base\'s robot does not pose as md5tool pose --base');
}
gameRobot.free();
base.free();
const damaged = brmath.gameBase();
const archive = new Uint8Array(readFileSync(join(source, 'fuzz/seeds/zip/stored.pk4')));
await damaged.addArchive('bad.pk4', archive.subarray(0, archive.length - 40));
if (!damaged.said().messages.join().includes('bad.pk4: error: is not a zip archive')) {
  fail(`a cut archive says ${damaged.said().messages}`);
}
damaged.free();

console.log(failures === 0 ? 'module: 0 failed' : `module: ${failures} failed`);
process.exit(failures === 0 ? 0 : 1);
