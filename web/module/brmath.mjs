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

class Model {
  constructor(brmath, folder, core, meshName) {
    this.#brmath = brmath;
    this.#folder = folder;
    this.#core = core;
    this.mesh = meshName;
    this.ok = core.ok();
    this.error = this.ok ? '' : core.error();
    this.messages = Array.from(core.messages());
    const description = this.ok ? JSON.parse(core.description()) : { clips: [], joints: [], meshes: [] };
    this.clips = description.clips;
    this.joints = description.joints;
    this.meshes = description.meshes;
  }

  #brmath;
  #folder;
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

  // The bytes md5tool export writes as MESH.glb for these files: {ok, bytes, messages}.
  // Options: clip (one clip only; default every clip), scale (1), maxWeights (8).
  exportGlb(options = {}) {
    const core = this.#live();
    const clipGiven = options.clip !== undefined && options.clip !== null;
    const result = core.exportGlb(clipGiven ? options.clip | 0 : 0, clipGiven, Number(options.scale ?? 1),
                                  options.maxWeights ?? 8);
    return { ok: result.ok, bytes: result.bytes, messages: Array.from(result.messages) };
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
    this.#brmath.removeFolder(this.#folder);
  }
}

class BRMath {
  constructor(core) {
    this.#core = core;
  }

  #core;
  #folders = 0;

  // A fresh folder of the module's file system holding `files` (name to Uint8Array).
  #folderOf(files) {
    const FS = this.#core.FS;
    const folder = `/models/${++this.#folders}`;
    FS.mkdirTree(folder);
    const names = [];
    for (const [given, bytes] of Object.entries(files ?? {})) {
      const name = plainName(given);
      if (name === null || !(bytes instanceof Uint8Array)) continue;
      FS.writeFile(`${folder}/${name}`, bytes);
      names.push(name);
    }
    return { folder, names };
  }

  removeFolder(folder) {
    const FS = this.#core.FS;
    for (const name of FS.readdir(folder)) {
      if (name !== '.' && name !== '..') FS.unlink(`${folder}/${name}`);
    }
    FS.rmdir(folder);
  }

  // The .md5mesh names among `files`, sorted.
  meshesIn(files) {
    return Object.keys(files ?? {}).map(plainName).filter((n) => n && extensionOf(n) === '.md5mesh').sort();
  }

  // Reads a .md5mesh with every .md5anim beside it, as MD5_LoadActor does. `files`:
  // file name to Uint8Array (a mesh, its clips, its images). With several meshes,
  // options.mesh names the one to read. The model has ok, error, messages (the lines
  // md5tool check prints for these files), clips, joints and meshes.
  load(files, options = {}) {
    const meshes = this.meshesIn(files);
    const mesh = options.mesh !== undefined ? plainName(options.mesh) : meshes.length === 1 ? meshes[0] : null;
    if (mesh === null || !meshes.includes(mesh)) {
      const error = meshes.length === 0 ? 'no .md5mesh file among the files'
        : options.mesh !== undefined ? `no file ${options.mesh} among the files`
        : `${meshes.length} .md5mesh files among the files (${meshes.join(', ')}): name one with options.mesh`;
      return { ok: false, error, messages: [error], clips: [], joints: [], meshes: [], free() {} };
    }
    const { folder } = this.#folderOf(files);
    return new Model(this, folder, new this.#core.WebModel(folder, mesh), mesh);
  }

  // md5tool import of a .glb or .gltf (with its buffers and images in options.files):
  // {ok, files: name to Uint8Array, messages}. Options: name, skin, fps, scale.
  importGltf(name, bytes, options = {}) {
    const model = plainName(name);
    if (model === null || !(bytes instanceof Uint8Array)) {
      return { ok: false, files: {}, messages: ['importGltf wants a file name and a Uint8Array'] };
    }
    const { folder } = this.#folderOf({ ...(options.files ?? {}), [model]: bytes });
    try {
      const result = this.#core.importGltf(folder, model, String(options.name ?? ''), options.skin ?? -1,
                                           options.fps ?? 0, Number(options.scale ?? 1));
      return { ok: result.ok, files: result.files, messages: Array.from(result.messages) };
    } finally {
      this.removeFolder(folder);
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
