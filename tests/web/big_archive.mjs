// A .pk4 of `megabytes` MB: a stored filler entry first (zeros, never read), then every
// entry of another .pk4, stored. Written in pieces, so that it is never held whole.
import { closeSync, openSync, readFileSync, writeSync } from 'node:fs';
import { createRequire } from 'node:module';
import { join } from 'node:path';

export function writeBigArchive(path, source, from, megabytes) {
  const require = createRequire(join(source, 'web/package.json'));
  const { unzipSync } = require('fflate');
  const entries = [['sound/filler.bin', null], ...Object.entries(unzipSync(readFileSync(from)))];
  const file = openSync(path, 'w');
  const directory = [];
  let offset = 0;
  const put = (bytes) => {
    writeSync(file, bytes);
    offset += bytes.length;
  };
  const header = (signature, name, size, extra) => {
    const fixed = Buffer.alloc(signature === 0x04034b50 ? 30 : 46);
    fixed.writeUInt32LE(signature, 0);
    const at = signature === 0x04034b50 ? 4 : 6;  // version needed, after "made by" in the directory
    fixed.writeUInt16LE(20, at);
    fixed.writeUInt32LE(0, at + 10);  // the checksum, which nothing here reads
    fixed.writeUInt32LE(size, at + 14);
    fixed.writeUInt32LE(size, at + 18);
    fixed.writeUInt16LE(name.length, at + 22);
    if (extra !== undefined) fixed.writeUInt32LE(extra, 42);
    return Buffer.concat([fixed, Buffer.from(name)]);
  };
  for (const [name, bytes] of entries) {
    const size = bytes === null ? megabytes * 1024 * 1024 : bytes.length;
    directory.push(header(0x02014b50, name, size, offset));
    put(header(0x04034b50, name, size));
    if (bytes !== null) {
      put(bytes);
      continue;
    }
    const zeros = Buffer.alloc(1024 * 1024);
    for (let m = 0; m < megabytes; ++m) put(zeros);
  }
  const start = offset;
  for (const record of directory) put(record);
  const end = Buffer.alloc(22);
  end.writeUInt32LE(0x06054b50, 0);
  end.writeUInt16LE(entries.length, 8);
  end.writeUInt16LE(entries.length, 10);
  end.writeUInt32LE(offset - start, 12);
  end.writeUInt32LE(start, 16);
  put(end);
  closeSync(file);
}
