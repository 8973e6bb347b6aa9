// Draws a glTF file with three.js in headless Chromium and writes the picture.
// Usage: node draw.mjs MODEL.glb OUT.png [CLIP TIME WIDTH HEIGHT [BACKGROUND]]
// Serves tests/gltf (three.js and the page) and the model on a loopback port for the
// time it takes; Chromium draws with its software WebGL.
import { spawn } from 'node:child_process';
import { mkdtemp, readFile, rm } from 'node:fs/promises';
import os from 'node:os';
import http from 'node:http';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

const [model, output, clip = '0', time = '0', width = '480', height = '480', background = '#ff00ff'] =
  process.argv.slice(2);
const root = path.dirname(path.dirname(fileURLToPath(import.meta.url)));
const types = { '.html': 'text/html', '.js': 'text/javascript', '.mjs': 'text/javascript', '.glb': 'model/gltf-binary' };

const server = http.createServer(async (request, response) => {
  const url = new URL(request.url, 'http://localhost');
  // The model, md5tool's framing from the web page, or a file of tests/gltf.
  const named = { '/model.glb': model, '/framing.js': path.join(root, '../../web/page/framing.js') }[url.pathname];
  const file = named ?? path.join(root, path.normalize(decodeURIComponent(url.pathname)));
  if (named === undefined && !file.startsWith(root + path.sep)) {
    response.writeHead(403).end();
    return;
  }
  try {
    const body = await readFile(file);
    response.writeHead(200, { 'Content-Type': types[path.extname(file)] ?? 'application/octet-stream' }).end(body);
  } catch {
    response.writeHead(404).end();
  }
});
await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
const query = new URLSearchParams({ model: '/model.glb', clip, time, width, height, background });
const page = `http://127.0.0.1:${server.address().port}/threejs/view.html?${query}`;
const profile = await mkdtemp(path.join(os.tmpdir(), 'brmath-chromium-'));
const chromium = spawn(process.env.CHROMIUM ?? '/usr/bin/chromium', [
  '--headless', '--no-sandbox', '--no-first-run', '--disable-background-networking', '--disable-component-update',
  '--disable-sync', '--disable-quic', '--use-angle=swiftshader', '--enable-unsafe-swiftshader', '--hide-scrollbars',
  `--user-data-dir=${profile}`, `--window-size=${width},${height}`,
  '--virtual-time-budget=30000', `--screenshot=${path.resolve(output)}`, page,
], { stdio: ['ignore', 'ignore', 'pipe'] });
let messages = '';
chromium.stderr.on('data', (chunk) => { messages += chunk; });
const status = await new Promise((resolve) => chromium.on('close', resolve));
server.close();
await rm(profile, { recursive: true, force: true });
if (status !== 0) {
  console.error(messages);
  process.exit(1);
}
console.log(`${output}: ${model} drawn by three.js`);
