// Serves a folder on loopback with the types a browser needs (application/wasm for the
// module), nothing outside the folder.
//   node serve.mjs FOLDER [PORT]   (PORT 0: any free port; the address is printed)
import http from 'node:http';
import { readFile } from 'node:fs/promises';
import path from 'node:path';

const types = {
  '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.mjs': 'text/javascript', '.css': 'text/css',
  '.wasm': 'application/wasm', '.png': 'image/png', '.glb': 'model/gltf-binary', '.json': 'application/json',
};

export function serve(folder, port = 0) {
  const root = path.resolve(folder);
  const server = http.createServer(async (request, response) => {
    const url = new URL(request.url, 'http://127.0.0.1');
    let file = path.join(root, path.normalize(decodeURIComponent(url.pathname)));
    if (file !== root && !file.startsWith(root + path.sep)) return response.writeHead(403).end();
    if (url.pathname.endsWith('/')) file = path.join(file, 'index.html');
    try {
      const body = await readFile(file);
      response.writeHead(200, { 'Content-Type': types[path.extname(file)] ?? 'application/octet-stream' }).end(body);
    } catch {
      response.writeHead(404).end();
    }
  });
  return new Promise((resolve) => server.listen(port, '127.0.0.1', () => resolve(server)));
}

if (import.meta.url === `file://${process.argv[1]}`) {
  const server = await serve(process.argv[2] ?? '.', Number(process.argv[3] ?? 8080));
  console.log(`http://127.0.0.1:${server.address().port}/`);
}
