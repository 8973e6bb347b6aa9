// The page in Debian's Chromium (software WebGL), driven by playwright-core over a
// loopback server: open the sample, play, a view that covers md5tool render's pixels,
// a malformed mesh that leaves the model on show, the glTF download's bytes, a
// dropped .glb whose MD5 zip md5tool check --strict accepts, the sample game base with
// its maps, a game folder, a Quake folder and .pak with their skins, clips and scale,
// and a 400 MB archive read without reading it whole.
//   node page_test.mjs WEB_DIR MD5TOOL SOURCE_DIR SCRATCH WRITE_QUAKE_FILES
import { execFileSync, spawnSync } from 'node:child_process';
import { mkdirSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { join, resolve } from 'node:path';
import { createRequire } from 'node:module';

const [webDir, md5tool, source, scratch, writeQuakeFiles] = process.argv.slice(2).map((path) => resolve(path));
const require = createRequire(join(source, 'web/package.json'));
const { chromium } = require('playwright-core');
const { unzipSync } = require('fflate');
const { serve } = await import(join(source, 'web/serve.mjs'));
const { writeBigArchive } = await import(join(source, 'tests/web/big_archive.mjs'));

// The browser's own switch, to find its processes by.
const kMark = `--brmath-page-test=${process.pid}`;

// The largest resident size (MB) a renderer process of the browser reached.
function rendererPeak() {
  const processes = execFileSync('ps', ['-eo', 'pid=,ppid=,args=']).toString().trim().split('\n')
    .map((line) => /^\s*(\d+)\s+(\d+)\s+(.*)$/.exec(line)).filter(Boolean);
  const ours = new Set(processes.filter(([, , , args]) => args.includes(kMark)).map(([, pid]) => pid));
  for (let grew = true; grew;) {
    grew = false;
    for (const [, pid, parent] of processes) if (ours.has(parent) && !ours.has(pid)) grew = ours.add(pid) !== null;
  }
  let peak = 0;
  for (const [, pid, , args] of processes) {
    if (!ours.has(pid) || !args.includes('--type=renderer')) continue;
    const status = readFileSync(`/proc/${pid}/status`, 'utf8');
    peak = Math.max(peak, Number(/VmHWM:\s+(\d+)/.exec(status)?.[1] ?? 0) / 1024);
  }
  return Math.round(peak);
}

let failures = 0;
const fail = (what) => {
  console.log(`FAILED: ${what}`);
  ++failures;
};
rmSync(scratch, { recursive: true, force: true });
mkdirSync(scratch, { recursive: true });
const server = await serve(webDir);
const browser = await chromium.launch({
  executablePath: process.env.CHROMIUM ?? '/usr/bin/chromium',
  args: ['--no-sandbox', '--disable-background-networking', '--disable-component-update', '--disable-sync',
         '--disable-quic', '--no-first-run', '--use-angle=swiftshader', '--enable-unsafe-swiftshader', kMark],
});
try {
  const context = await browser.newContext({ viewport: { width: 1000, height: 700 }, acceptDownloads: true });
  const page = await context.newPage();
  const errors = [];
  page.on('pageerror', (error) => errors.push(String(error)));
  await page.goto(`http://127.0.0.1:${server.address().port}/?background=%23ff00ff`);
  await page.waitForSelector('body[data-ready="true"]', { timeout: 60000 });
  const state = () => page.evaluate(() => window.viewer.state());

  // Open the sample's files through #open: three clips in the library's order.
  const robot = join(source, 'samples/robot');
  await page.setInputFiles('#open', ['robot.md5mesh', 'idle.md5anim', 'walk.md5anim', 'wave.md5anim'].map((n) => join(robot, n)));
  await page.waitForFunction(() => document.querySelectorAll('#clip option').length === 3, null, { timeout: 60000 });
  const clips = (await state()).clips.map((clip) => clip.name).join();
  if (clips !== 'idle,walk,wave') fail(`the clip list shows ${clips}`);

  // Playing advances the frame; space pauses.
  await page.click('#play');
  await page.waitForTimeout(700);
  const playing = await state();
  if (!playing.playing || playing.frame === 0) fail(`after play: ${JSON.stringify({ ...playing, clips: undefined })}`);
  await page.keyboard.press('Space');
  if ((await state()).playing) fail('space did not pause');

  // The wave at frame 12 covers the pixels md5tool render draws with the same camera.
  await page.selectOption('#clip', '2');
  await page.$eval('#frame', (range) => {
    range.value = '12';
    range.dispatchEvent(new Event('input'));
  });
  await page.evaluate(() => {
    const view = document.getElementById('view');
    view.style.width = view.style.height = '320px';
    view.parentElement.style.flex = 'none';
    window.viewer.frameCamera(25, 12);
  });
  await page.locator('#view').screenshot({ path: join(scratch, 'page-wave.png') });
  execFileSync(md5tool, ['render', join(robot, 'robot.md5mesh'), '--clip', '2', '--frame', '12', '--size', '320x320',
                         '-o', join(scratch, 'md5tool-wave.png')]);
  const overlap = spawnSync('node', [join(source, 'tests/gltf/threejs/overlap.mjs'), join(scratch, 'page-wave.png'),
                                     join(scratch, 'md5tool-wave.png'), '0.95']);
  console.log(`view against md5tool render: ${overlap.stdout.toString().trim()}`);
  if (overlap.status !== 0) fail('the page\'s view does not cover md5tool render\'s pixels');

  // "Download glTF" gives md5tool export's bytes.
  const [glb] = await Promise.all([page.waitForEvent('download'), page.click('#download-glb')]);
  await glb.saveAs(join(scratch, 'page.glb'));
  execFileSync(md5tool, ['export', join(robot, 'robot.md5mesh'), '-o', join(scratch, 'robot.glb')], { stdio: 'ignore' });
  if (Buffer.compare(readFileSync(join(scratch, 'page.glb')), readFileSync(join(scratch, 'robot.glb'))) !== 0) {
    fail('the downloaded .glb differs from md5tool export\'s');
  }

  // A malformed mesh shows its error line, and the robot stays on show.
  const bad = join(scratch, 'bad.md5mesh');
  writeFileSync(bad, 'MD5Version 10\ncommandline ""\nnumJoints 1\nnumMeshes 1\njoints {\n  "root" 5 ( 0 0 0 ) ( 0 0 0 )\n}\n');
  await page.setInputFiles('#open', [bad]);
  await page.waitForFunction(() => document.querySelector('#messages .error') !== null, null, { timeout: 30000 });
  const lines = await page.$$eval('#messages > *', (items) => items.map((item) => item.textContent));
  const expected = spawnSync(md5tool, ['check', 'bad.md5mesh'], { cwd: scratch }).stdout.toString().trim();
  if (!lines.includes(expected)) fail(`#messages shows ${JSON.stringify(lines)}, md5tool check ${expected}`);
  if ((await state()).clips.length !== 3) fail('the robot is no longer on show after a malformed mesh');

  // A dropped .glb: its MD5 zip passes md5tool check --strict.
  await page.setInputFiles('#open', [join(scratch, 'robot.glb')]);
  await page.waitForFunction(() => !document.getElementById('download-md5').disabled, null, { timeout: 60000 });
  const [zip] = await Promise.all([page.waitForEvent('download'), page.click('#download-md5')]);
  await zip.saveAs(join(scratch, 'robot-md5.zip'));
  const unzipped = join(scratch, 'unzipped');
  mkdirSync(unzipped, { recursive: true });
  const entries = unzipSync(readFileSync(join(scratch, 'robot-md5.zip')));
  for (const [name, bytes] of Object.entries(entries)) writeFileSync(join(unzipped, name), bytes);
  const names = Object.keys(entries).sort();
  const check = spawnSync(md5tool, ['check', '--strict', ...names], { cwd: unzipped });
  if (check.status !== 0 || names.length !== 4) fail(`the zip's files ${names}: ${check.stdout}${check.stderr}`);
  // The sample game base: #model lists its declarations, the chosen one is shown with
  // its three maps, and "Download glTF" gives md5tool export --base's bytes.
  const game = join(source, 'samples/game/pak000.pk4');
  await page.setInputFiles('#open', [game]);
  await page.waitForFunction(() => window.viewer.state().model === 'robot', null, { timeout: 60000 });
  const models = await page.$$eval('#model option', (options) => options.map((option) => option.value).join());
  if (models !== 'robot,robot_entity') fail(`#model lists ${models}`);
  const shown = await state();
  if (shown.clips.map((clip) => clip.name).join() !== 'idle,walk,wave' || !shown.maps.every(Boolean)) {
    fail(`the game's robot shows ${JSON.stringify({ clips: shown.clips, maps: shown.maps })}`);
  }
  await page.locator('#view').screenshot({ path: join(scratch, 'page-game.png') });
  const [gameGlb] = await Promise.all([page.waitForEvent('download'), page.click('#download-glb')]);
  await gameGlb.saveAs(join(scratch, 'page-game.glb'));
  execFileSync(md5tool, ['export', 'robot', '--base', join(source, 'samples/game'), '-o', join(scratch, 'game.glb')], { stdio: 'ignore' });
  if (Buffer.compare(readFileSync(join(scratch, 'page-game.glb')), readFileSync(join(scratch, 'game.glb'))) !== 0) {
    fail('the game robot\'s downloaded .glb differs from md5tool export --base\'s');
  }

  // A game folder: its .pk4 and, over it, a loose declaration inheriting the robot.
  const folder = join(scratch, 'base');
  mkdirSync(join(folder, 'def'), { recursive: true });
  writeFileSync(join(folder, 'pak000.pk4'), readFileSync(game));
  writeFileSync(join(folder, 'def/loose.def'), 'model robot_loose {\n  inherit robot\n  anim jog models/md5/robot/walk.md5anim\n}\n');
  await page.setInputFiles('#open-folder', folder);
  await page.waitForFunction(() => document.querySelectorAll('#model option').length === 3, null, { timeout: 60000 });
  await page.selectOption('#model', 'robot_loose');
  await page.waitForFunction(() => window.viewer.state().model === 'robot_loose', null, { timeout: 60000 });
  const loose = (await state()).clips.map((clip) => clip.name).join();
  if (loose !== 'idle,walk,wave,jog') fail(`the folder's robot_loose has the clips ${loose}`);

  // A Quake folder (its paks over its loose files): the soldier's clips from its frame
  // names at 0.1 s a frame, its skins' full brights unlit; #target adds an engine's say.
  execFileSync(writeQuakeFiles, [join(scratch, 'quake')]);
  await page.setInputFiles('#open-folder', join(scratch, 'quake/id1'));
  await page.waitForFunction(() => window.viewer.state().model === 'progs/soldier.mdl', null, { timeout: 60000 });
  const quake = await state();
  const quakeModels = await page.$$eval('#model option', (options) => options.map((option) => option.value).join());
  if (quakeModels !== 'progs/soldier.mdl') fail(`the Quake folder's #model lists ${quakeModels}`);
  if (quake.clips.map((clip) => `${clip.name}/${clip.frames}/${clip.frameRate}`).join() !== 'stand/3/10,run/3/10' ||
      !quake.glows.every(Boolean)) {
    fail(`the Quake soldier shows ${JSON.stringify({ clips: quake.clips, glows: quake.glows })}`);
  }
  await page.selectOption('#target', 'quake2');
  if (!(await state()).messages.includes('quake2: nothing to say')) fail(`#target quake2 says ${(await state()).messages}`);
  await page.selectOption('#target', '');
  // Quake 2's .pak: the .md5scale doubles the weapon at the run clip's frame 2 and
  // hides the head (its own weights, not the eye's) at frame 1.
  await page.setInputFiles('#open', [join(scratch, 'quake/baseq2/pak0.pak')]);
  await page.waitForFunction(() => window.viewer.state().model === 'models/soldier/tris.md2', null, { timeout: 60000 });
  const span = (mesh, frame) => page.evaluate(([m, f]) => window.viewer.meshSpan(m, 'run', f), [mesh, frame]);
  const [weapon, doubled, head, hidden] = [await span(2, 0), await span(2, 2), await span(1, 0), await span(1, 1)];
  if (Math.abs(doubled - 2 * weapon) > 1e-5 || Math.abs(head - Math.sqrt(6)) > 1e-5 || Math.abs(hidden - Math.sqrt(5)) > 1e-5) {
    fail(`the Quake 2 soldier's spans: weapon ${weapon} then ${doubled}, head ${head} then ${hidden}`);
  }
  await page.locator('#view').screenshot({ path: join(scratch, 'page-quake2.png') });

  // A 400 MB archive: its directory and the robot's entries are read, never the whole.
  const before = rendererPeak();
  const big = join(scratch, 'big.pk4');
  writeBigArchive(big, source, game, 400);
  await page.setInputFiles('#open', [big]);
  await page.waitForFunction(() => window.viewer.state().model === 'robot' && window.viewer.state().loadTime > 0, null,
                             { timeout: 120000 });
  const timing = await state();
  const renderer = rendererPeak();
  console.log(`400 MB archive: directory and declarations ${timing.baseOpened.toFixed(0)} ms, the robot ` +
              `${timing.loadTime.toFixed(0)} ms; the page's peak memory ${renderer} MB (${before} MB before it)`);
  if (!(renderer < 300)) fail(`the page took ${renderer} MB for a 400 MB archive`);
  rmSync(big, { force: true });
  if (errors.length > 0) fail(`the page threw: ${errors.join('; ')}`);
} finally {
  await browser.close();
  server.close();
}
console.log(`the pictures are in ${scratch}`);
console.log(failures === 0 ? 'page: 0 failed' : `page: ${failures} failed`);
process.exit(failures === 0 ? 0 : 1);
