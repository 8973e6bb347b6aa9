// How bright three.js drew the model (the pixels off its magenta background), 0 to 255.
// Usage: node brightness.mjs PICTURE.png
import { readFileSync } from 'node:fs';
import pngjs from 'pngjs';

const picture = pngjs.PNG.sync.read(readFileSync(process.argv[2]));
let sum = 0, count = 0;
for (let i = 0; i < picture.data.length; i += 4) {
  const [r, g, b] = picture.data.subarray(i, i + 3);
  if (Math.abs(r - 255) + g + Math.abs(b - 255) <= 90) continue;
  sum += (r + g + b) / 3;
  ++count;
}
console.log(count > 0 ? (sum / count).toFixed(1) : '0');
