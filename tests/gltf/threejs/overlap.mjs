// The share of model pixels two pictures of one size have in common (shared over
// either): three.js's over its magenta background, md5tool render's over its grey one,
// where the model is what is coloured; and how bright three.js drew it.
// Usage: node overlap.mjs THREE.png MD5TOOL.png MINIMUM
// Exit status 1 when the share is below MINIMUM or the model is drawn dark.
import { readFileSync } from 'node:fs';
import pngjs from 'pngjs';

const [threePath, md5Path, minimum = '0.95'] = process.argv.slice(2);
const three = pngjs.PNG.sync.read(readFileSync(threePath));
const md5 = pngjs.PNG.sync.read(readFileSync(md5Path));
if (three.width !== md5.width || three.height !== md5.height) {
  console.log('the pictures differ in size');
  process.exit(1);
}
let shared = 0, either = 0, brightness = 0, threeCount = 0;
for (let i = 0; i < three.data.length; i += 4) {
  const [r, g, b] = three.data.subarray(i, i + 3);
  const inThree = Math.abs(r - 255) + g + Math.abs(b - 255) > 90;
  const [s, t, u] = md5.data.subarray(i, i + 3);
  const inMd5 = Math.max(s, t, u) - Math.min(s, t, u) > 20;
  if (inThree) {
    brightness += (r + g + b) / 3;
    ++threeCount;
  }
  shared += inThree && inMd5 ? 1 : 0;
  either += inThree || inMd5 ? 1 : 0;
}
const share = either > 0 ? shared / either : 0;
const mean = threeCount > 0 ? brightness / threeCount : 0;
console.log(`three.js and md5tool render share ${(100 * share).toFixed(1)}% of the model's pixels (${shared} of ${either}); ` +
            `three.js's model pixels are ${mean.toFixed(0)} of 255 bright on average`);
// A model drawn dark is wrong: the sample's export draws at about 185 of 255, the same
// file with fully metallic materials at about 100, and with its triangles wound inside
// out (the far side's inner faces, lit from behind) at about 135.
process.exit(share >= Number(minimum) && mean >= 150 ? 0 : 1);
