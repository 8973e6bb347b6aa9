// BRMath in WebAssembly: the library and md5tool's conversions, for browsers and node.
//
//   import createBRMath from './brmath.mjs';
//   const brmath = await createBRMath();
//   const model = brmath.load({'robot.md5mesh': bytes, 'robot_idle.md5anim': bytes});
//
// Every file handed in is copied into the module; every array handed out is a copy of
// its own, which stays valid after the model poses again or is freed.
import createBRMathCore from './brmath-core.mjs';

const inNode = typeof process === 'object' && Boolean(process.versions && process.versions.node);

function extensionOf(name) {
  const dot = name.lastIndexOf('.');
  return dot < 0 ? '' : name.slice(dot).toLowerCase();
}

// A file name as the module holds it: no folder, nothing that leaves the model's folder.
function plainName(name) {
  const base = String(name).split(/[\\/]/).pop();
  return base === '' || base === '.' || base === '..' ? null : base;
}

// The core's records ({file, line, severity, text, message}) and their lines, as md5tool
// prints them ("FILE:LINE: warning: TEXT").
function said(json) {
  const diagnostics = JSON.parse(json);
  return { diagnostics, messages: diagnostics.map((record) => record.message) };
}

class Model {
  constructor(core, meshName) {
    this.#core = core;
    this.mesh = meshName;
    this.ok = core.ok();
    const { diagnostics, messages } = said(core.messages());
    this.diagnostics = diagnostics;
    this.messages = messages;
    this.error = this.ok ? '' : messages[messages.length - 1];
    const description = this.ok ? JSON.parse(core.description()) : { clips: [], joints: [], meshes: [] };
    this.clips = description.clips;
    this.joints = description.joints;
    this.meshes = description.meshes;
  }

  #core;

  #live() {
    if (this.#core === null) throw new Error('this model was freed');
    return this.#core;
  }

  // The vertex stream MD5_RenderActor hands a device after MD5_SetAnimation(clip) and
  // MD5_ProceedAnimation(frame): every mesh in order, 8 floats a corner (x, y, z, nx,
  // ny, nz, u, v). Throws for a clip the model does not have.
  pose(clip, frame) {
    const core = this.#live();
    if (!core.pose(clip | 0, frame | 0)) throw new RangeError(`the model has no clip ${clip} (it has ${this.clips.length})`);
    return core.stream().slice();
  }

  // After pose(): each joint's position (3 floats), in the stream's y-up space.
  jointPositions() {
    return this.#live().joints().slice();
  }

  // After pose(): each vertex record's position, normal, tangent and bitangent (12 floats).
  tangentFrames() {
    return this.#live().frames().slice();
  }

  // After pose(), for normal maps: each corner of the stream's tangent (4 floats), the
  // way texture s rises and in w the side where t rises (down the image), as three.js
  // takes a tangent attribute.
  cornerTangents() {
    return this.#live().tangents().slice();
  }

  // A game base's model: mesh m's images {diffuse, normal, specular, emissive}, each
  // {width, height, pixels} (RGBA rows from the top), the game's defaults where the
  // material has none, emissive null when nothing shines unlit (a Quake skin's full
  // brights do); null for other models.
  maps(mesh) {
    const core = this.#live();
    const [diffuse, normal, specular, emissive] = [0, 1, 2, 3].map((which) => core.map(mesh | 0, which));
    return diffuse === null ? null : { diffuse, normal, specular, emissive };
  }

  // What an engine ('doom3', 'bfg', 'quake', 'quake2' or 'library') says of the model's
  // files, as md5tool check --target says it: {diagnostics, messages}.
  targetMessages(target) {
    return said(this.#live().targetMessages(String(target)));
  }

  // The bytes md5tool export writes as MESH.glb for these files: {ok, bytes, messages,
  // diagnostics}. Options: clip (one clip only; default every clip), scale (1), maxWeights (8).
  exportGlb(options = {}) {
    const core = this.#live();
    const clipGiven = options.clip !== undefined && options.clip !== null;
    const result = core.exportGlb(clipGiven ? options.clip | 0 : 0, clipGiven, Number(options.scale ?? 1),
                                  options.maxWeights ?? 8);
    return { ok: result.ok, bytes: result.bytes, ...said(result.messages) };
  }

  // For tests and benchmarks: pose with the library's plain path (true) or its fastest;
  // pose without making the stream; read the same files again.
  usePlainPath(plain) {
    this.#live().usePlainPath(Boolean(plain));
  }

  proceed(clip, frame) {
    return this.#live().pose(clip | 0, frame | 0);
  }

  reload() {
    return this.#live().reload();
  }

  // Releases the model and its files.
  free() {
    if (this.#core === null) return;
    this.#core.delete();
    this.#core = null;
  }
}

// A File (or Blob) as a reader of byte ranges: what a game base reads archives through.
export function fileReader(file) {
  return {
    size: file.size,
    read: async (offset, length) => new Uint8Array(await file.slice(offset, offset + length).arrayBuffer()),
  };
}

function readerOf(source) {
  if (source instanceof Uint8Array) return { size: source.length, read: async (o, n) => source.subarray(o, o + n) };
  return typeof source.read === 'function' ? source : fileReader(source);
}

// Raw deflate inflated by the platform's own inflater, to exactly `size` bytes.
async function inflateRaw(packed, size) {
  const reader = new Blob([packed]).stream().pipeThrough(new DecompressionStream('deflate-raw')).getReader();
  const out = new Uint8Array(size);
  let at = 0;
  try {
    for (let part = await reader.read(); !part.done; part = await reader.read()) {
      if (at + part.value.length > size) throw new Error('inflates to another size than its directory gives');
      out.set(part.value, at);
      at += part.value.length;
    }
  } catch (error) {
    reader.cancel().catch(() => {});
    throw error.message?.startsWith('inflates') ? error : new Error('is damaged (it does not inflate)');
  }
  if (at !== size) throw new Error('inflates to another size than its directory gives');
  return out;
}

// One entry's bytes, from its local header on (a .pak's entry is stored where it says).
async function entryBytes(reader, entry) {
  if (entry.offset !== undefined) return reader.read(entry.offset, entry.size);
  const header = await reader.read(entry.header, 30);
  const fields = new DataView(header.buffer, header.byteOffset, header.byteLength);
  if (header.length < 30 || fields.getUint32(0, true) !== 0x04034b50 || fields.getUint16(8, true) !== entry.method) {
    throw new Error('its local header does not match the directory');
  }
  const start = entry.header + 30 + fields.getUint16(26, true) + fields.getUint16(28, true);
  if (start + entry.packed > reader.size) throw new Error("its data runs past the archive's end");
  const packed = await reader.read(start, entry.packed);
  return entry.method === 0 ? packed : inflateRaw(packed, entry.size);
}

// A game's files as the game reads them: dropped .pk4 archives and folders, a later one
// winning. Nothing is read whole: an archive's directory first, then only the entries
// the declarations and the chosen model need.
class GameBase {
  constructor(core) {
    this.#core = core;
    this.#base = new core.WebBase();
  }

  #core;
  #base;
  #sources = [];  // a layer's reader(s): {archive, entries} or {files}

  // An archive: a File, or a reader {size, read(offset, length) -> Promise<Uint8Array>};
  // a .pak (Quake's PACK) by its name, else a zip (.pk4, .pk3, .pkz).
  async addArchive(name, source) {
    const reader = readerOf(source);
    if (extensionOf(name) === '.pak') {
      const header = await reader.read(0, Math.min(reader.size, 12));
      const place = JSON.parse(this.#base.packPlace(name, reader.size, header));
      const directory = place.error ? new Uint8Array(0) : await reader.read(place.offset, place.size);
      const added = JSON.parse(this.#base.addPack(name, reader.size, header, directory));
      this.#sources[added.layer] = { archive: reader, entries: new Map(added.entries.map((e) => [e.name, e])) };
      return;
    }
    const tailSize = Math.min(reader.size, 22 + 65535);
    const tail = await reader.read(reader.size - tailSize, tailSize);
    const place = JSON.parse(this.#base.archivePlace(name, reader.size, tail));
    const directory = place.error ? new Uint8Array(0) : await reader.read(place.offset, place.size);
    const added = JSON.parse(this.#base.addArchive(name, reader.size, tail, directory));
    this.#sources[added.layer] = { archive: reader, entries: new Map(added.entries.map((e) => [e.name, e])) };
  }

  // A folder's loose files: path inside it to a File, a reader or a Uint8Array.
  addFolder(name, files) {
    const layer = this.#base.addFolder(name, Object.keys(files));
    this.#sources[layer] = { files: new Map(Object.entries(files).map(([path, source]) => [path, readerOf(source)])) };
  }

  async #supply(wanted, progress) {
    let done = 0;
    for (const { layer, name } of wanted) {
      const source = this.#sources[layer];
      progress?.({ done: done++, total: wanted.length, name });
      try {
        const bytes = source.archive ? await entryBytes(source.archive, source.entries.get(name))
          : await source.files.get(name).read(0, source.files.get(name).size);
        this.#base.supply(layer, name, bytes);
      } catch (error) {
        this.#base.refuse(layer, name, error.message ?? String(error));
      }
    }
  }

  // Reads the declarations (def/*.def, materials/*.mtr, skins/*.skin): their entries only.
  async readDeclarations(progress) {
    await this.#supply(JSON.parse(this.#base.declarationFiles()), progress);
  }

  // Every model declaration, entityDef with a model and mesh without a declaration:
  // [{name, kind, mesh, clips, problem}].
  models() {
    return JSON.parse(this.#base.models());
  }

  // What reading the base said: {diagnostics, messages}.
  said() {
    return said(this.#base.messages());
  }

  // Reads a model by its declaration's, entityDef's or mesh's name, fetching what it
  // needs (its mesh, its clips, its images) round by round; a Model with maps().
  async load(name, progress) {
    for (let round = 0; round < 8; ++round) {
      const prepared = JSON.parse(this.#base.prepare(String(name)));
      if (prepared.error) {
        return { ok: false, error: prepared.error, diagnostics: [], messages: [prepared.error], clips: [], joints: [], meshes: [], free() {} };
      }
      if (prepared.ready) break;
      await this.#supply(prepared.needs, progress);
    }
    return new Model(this.#core.loadBaseModel(this.#base, String(name)), String(name));
  }

  free() {
    this.#base.delete();
  }
}

class BRMath {
  constructor(core) {
    this.#core = core;
  }

  #core;

  // A file set of the module's holding `files` (name to Uint8Array), to be deleted.
  #fileSetOf(files) {
    const set = new this.#core.FileSet();
    for (const [given, bytes] of Object.entries(files ?? {})) {
      const name = plainName(given);
      if (name !== null && bytes instanceof Uint8Array) set.add(name, bytes);
    }
    return set;
  }

  // The .md5mesh names among `files`, sorted.
  meshesIn(files) {
    return Object.keys(files ?? {}).map(plainName).filter((n) => n && extensionOf(n) === '.md5mesh').sort();
  }

  // Reads a .md5mesh with every .md5anim beside it, as MD5_LoadActor does. `files`:
  // file name to Uint8Array (a mesh, its clips, its images). With several meshes,
  // options.mesh names the one to read. The model has ok, error, diagnostics (what the
  // reader said, as {file, line, severity, text, message}), messages (the same as md5tool's
  // lines), clips, joints and meshes.
  load(files, options = {}) {
    const meshes = this.meshesIn(files);
    const mesh = options.mesh !== undefined ? plainName(options.mesh) : meshes.length === 1 ? meshes[0] : null;
    if (mesh === null || !meshes.includes(mesh)) {
      const error = meshes.length === 0 ? 'no .md5mesh file among the files'
        : options.mesh !== undefined ? `no file ${options.mesh} among the files`
        : `${meshes.length} .md5mesh files among the files (${meshes.join(', ')}): name one with options.mesh`;
      return { ok: false, error, diagnostics: [], messages: [error], clips: [], joints: [], meshes: [], free() {} };
    }
    const set = this.#fileSetOf(files);
    try {
      return new Model(new this.#core.WebModel(set, mesh), mesh);
    } finally {
      set.delete();
    }
  }

  // An empty game base, to add archives and folders to.
  gameBase() {
    return new GameBase(this.#core);
  }

  // md5tool import of a .glb or .gltf (with its buffers and images in options.files):
  // {ok, files: name to Uint8Array, messages, diagnostics}. Options: name, skin, fps, scale.
  importGltf(name, bytes, options = {}) {
    const model = plainName(name);
    if (model === null || !(bytes instanceof Uint8Array)) {
      return { ok: false, files: {}, diagnostics: [], messages: ['importGltf wants a file name and a Uint8Array'] };
    }
    const set = this.#fileSetOf({ ...(options.files ?? {}), [model]: bytes });
    try {
      const result = this.#core.importGltf(set, model, String(options.name ?? ''), options.skin ?? -1,
                                           options.fps ?? 0, Number(options.scale ?? 1));
      return { ok: result.ok, files: result.files, ...said(result.messages) };
    } finally {
      set.delete();
    }
  }
}

export default async function createBRMath(settings = {}) {
  const wasm = new URL('brmath.wasm', import.meta.url);
  const options = { ...settings };
  if (inNode && options.wasmBinary === undefined) {
    const { readFileSync } = await import('node:fs');
    options.wasmBinary = readFileSync(wasm);
  } else if (options.locateFile === undefined) {
    options.locateFile = (path) => (path.endsWith('.wasm') ? wasm.href : path);
  }
  return new BRMath(await createBRMathCore(options));
}
