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
