// The page: MD5 models posed by the BRMath module and drawn with three.js, glTF
// converted both ways by the same code as md5tool. Everything it loads is its own.
import * as THREE from 'three';
import { OrbitControls } from 'three/addons/controls/OrbitControls.js';
import { TGALoader } from 'three/addons/loaders/TGALoader.js';
import { zipSync } from 'fflate';
import createBRMath, { fileReader } from './brmath.mjs';
import { kFieldOfView, md5toolFraming } from './framing.js';

const $ = (id) => document.getElementById(id);
const query = new URLSearchParams(location.search);
const brmath = await createBRMath();

// The scene is in the device's space (y up, left-handed, as the library draws); a
// mirror in z shows it in three.js's right-handed one.
const renderer = new THREE.WebGLRenderer({ canvas: $('view'), antialias: true, preserveDrawingBuffer: true });
renderer.setPixelRatio(window.devicePixelRatio || 1);
const scene = new THREE.Scene();
scene.background = new THREE.Color(query.get('background') ?? '#e8eaee');
scene.add(new THREE.HemisphereLight(0xffffff, 0x444444, 2.0));
const sun = new THREE.DirectionalLight(0xffffff, 2.0);
sun.position.set(-1, 2, 2);
scene.add(sun);
const deviceSpace = new THREE.Group();
deviceSpace.scale.set(1, 1, -1);
scene.add(deviceSpace);
const camera = new THREE.PerspectiveCamera(35, 1, 0.01, 1000);
const controls = new OrbitControls(camera, renderer.domElement);
controls.addEventListener('change', () => draw());

const checker = (() => {
  const canvas = document.createElement('canvas');
  canvas.width = canvas.height = 64;
  const context = canvas.getContext('2d');
  for (let y = 0; y < 8; ++y) {
    for (let x = 0; x < 8; ++x) {
      context.fillStyle = (x + y) % 2 ? '#9aa3b5' : '#e4e7ee';
      context.fillRect(x * 8, y * 8, 8, 8);
    }
  }
  const texture = new THREE.CanvasTexture(canvas);
  texture.wrapS = texture.wrapT = THREE.RepeatWrapping;
  texture.colorSpace = THREE.SRGBColorSpace;
  return texture;
})();

// What is on show.
const view = {
  model: null,       // the module's model
  files: null,       // the files it was read from
  meshes: [],        // a three.js mesh per MD5 mesh
  skeleton: null,
  frames: null,      // normals and tangent frames
  clip: 0,
  frame: 0,
  playing: false,
  md5Zip: null,      // the MD5 files of a dropped glTF, zipped
  box: null,         // the posed model's box
  baseName: 'model',
  base: null,        // a game base, when one was dropped
};

function showMessages(lines) {
  const panel = $('messages');
  panel.replaceChildren(...lines.map((line) => {
    const item = document.createElement('div');
    item.textContent = line;
    item.className = line.includes(': error: ') || line.startsWith('md5tool: ') ? 'error' : line.includes(': warning: ') ? 'warning' : '';
    return item;
  }));
}

// The model's messages, then what the engine #target names says of its files.
function showTargetMessages() {
  const target = $('target').value;
  const extra = target && view.model ? view.model.targetMessages(target).messages : [];
  showMessages([...(view.messages ?? []), ...extra]);
  if (target && view.model && extra.length === 0) showMessages([...(view.messages ?? []), `${target}: nothing to say`]);
}

function status(text) {
  $('status').textContent = text;
}

// A texture from a dropped image (TGA, PNG, JPEG), or null.
async function textureOf(name, bytes) {
  if (!name || !bytes) return null;
  let texture;
  if (/\.tga$/i.test(name)) {
    texture = new TGALoader().parse(bytes.buffer.slice(bytes.byteOffset, bytes.byteOffset + bytes.byteLength));
    texture.flipY = true;  // TGA rows run up from the bottom
  } else {
    try {
      const bitmap = await createImageBitmap(new Blob([bytes]), { imageOrientation: 'none' });
      texture = new THREE.Texture(bitmap);
      texture.flipY = false;
    } catch {
      return null;
    }
  }
  texture.wrapS = texture.wrapT = THREE.RepeatWrapping;
  texture.colorSpace = THREE.SRGBColorSpace;
  texture.needsUpdate = true;
  return texture;
}

// A game map's pixels (rows from the top, as texture t runs) as a texture.
function dataTexture(image, colorSpace = THREE.NoColorSpace) {
  const texture = new THREE.DataTexture(image.pixels, image.width, image.height, THREE.RGBAFormat);
  texture.wrapS = texture.wrapT = THREE.RepeatWrapping;
  texture.magFilter = THREE.LinearFilter;
  texture.minFilter = THREE.LinearMipmapLinearFilter;
  texture.generateMipmaps = true;
  texture.colorSpace = colorSpace;
  texture.needsUpdate = true;
  return texture;
}

function clearScene() {
  for (const object of [...view.meshes, view.skeleton, view.frames]) {
    if (!object) continue;
    deviceSpace.remove(object);
    object.geometry.dispose();
  }
  view.meshes = [];
  view.skeleton = view.frames = null;
}

// Builds the three.js meshes of `model` (their positions come with each pose).
async function buildScene(model, files) {
  clearScene();
  for (const mesh of model.meshes) {
    const geometry = new THREE.BufferGeometry();
    const corners = mesh.triangles * 3;
    geometry.setAttribute('position', new THREE.BufferAttribute(new Float32Array(corners * 3), 3));
    geometry.setAttribute('normal', new THREE.BufferAttribute(new Float32Array(corners * 3), 3));
    geometry.setAttribute('uv', new THREE.BufferAttribute(new Float32Array(corners * 2), 2));
    const maps = model.maps(view.meshes.length);
    let material;
    if (maps) {
      geometry.setAttribute('tangent', new THREE.BufferAttribute(new Float32Array(corners * 4), 4));
      material = new THREE.MeshPhongMaterial({
        map: dataTexture(maps.diffuse, THREE.SRGBColorSpace), normalMap: dataTexture(maps.normal),
        specularMap: dataTexture(maps.specular), specular: 0xffffff, shininess: 40, side: THREE.DoubleSide,
      });
      // What shines unlit (a Quake skin's full brights) adds its colour whatever the light.
      if (maps.emissive) Object.assign(material, { emissiveMap: dataTexture(maps.emissive, THREE.SRGBColorSpace), emissive: 0xffffff });
    } else {
      const image = mesh.image ? mesh.image.split('/').pop() : '';
      const map = (await textureOf(image, files[image])) ?? checker;
      material = new THREE.MeshStandardMaterial({ map, metalness: 0, roughness: 0.6, side: THREE.DoubleSide });
    }
    const object = new THREE.Mesh(geometry, material);
    object.frustumCulled = false;
    deviceSpace.add(object);
    view.meshes.push(object);
  }
  const lines = (count) => {
    const geometry = new THREE.BufferGeometry();
    geometry.setAttribute('position', new THREE.BufferAttribute(new Float32Array(count * 3), 3));
    geometry.setAttribute('color', new THREE.BufferAttribute(new Float32Array(count * 3), 3));
    const object = new THREE.LineSegments(geometry, new THREE.LineBasicMaterial({ vertexColors: true, depthTest: false }));
    object.frustumCulled = false;
    object.renderOrder = 1;
    deviceSpace.add(object);
    return object;
  };
  view.skeleton = lines(model.joints.length * 2);
  const vertices = model.meshes.reduce((sum, mesh) => sum + mesh.vertices, 0);
  view.frames = lines(vertices * 6);
  applyToggles();
}

function applyToggles() {
  for (const object of view.meshes) object.material.wireframe = $('wireframe').checked;
  if (view.skeleton) view.skeleton.visible = $('skeleton').checked;
  if (view.frames) view.frames.visible = $('normals').checked;
  draw();
}

// The box around the posed stream, in the device's space.
function boxOf(stream) {
  const min = new THREE.Vector3(Infinity, Infinity, Infinity), max = min.clone().negate();
  for (let i = 0; i < stream.length; i += 8) {
    if (!Number.isFinite(stream[i] + stream[i + 1] + stream[i + 2])) continue;
    min.min(new THREE.Vector3(stream[i], stream[i + 1], stream[i + 2]));
    max.max(new THREE.Vector3(stream[i], stream[i + 1], stream[i + 2]));
  }
  return min.x <= max.x ? { min, max } : { min: new THREE.Vector3(-1, -1, -1), max: new THREE.Vector3(1, 1, 1) };
}

// Poses the model at the current clip and frame and hands the stream to three.js.
function pose() {
  const model = view.model;
  if (!model || !model.ok) return;
  if (model.clips.length > 0) {
    const frames = model.clips[view.clip].frames;
    view.frame = frames > 0 ? ((view.frame % frames) + frames) % frames : 0;
  }
  const stream = model.clips.length > 0 ? model.pose(view.clip, view.frame) : model.pose(0, 0);
  // A game's model: texture t as the game reads it (the library hands it negated), and
  // the library's tangent frames for the normal maps.
  const game = view.meshes.length > 0 && view.meshes[0].geometry.attributes.tangent !== undefined;
  const tangents = game ? model.cornerTangents() : null;
  let corner = 0;
  for (const object of view.meshes) {
    const position = object.geometry.attributes.position.array;
    const normal = object.geometry.attributes.normal.array;
    const uv = object.geometry.attributes.uv.array;
    for (let c = 0; c < position.length / 3; ++c, ++corner) {
      const at = corner * 8;
      position.set(stream.subarray(at, at + 3), c * 3);
      normal.set(stream.subarray(at + 3, at + 6), c * 3);
      uv[c * 2] = stream[at + 6];
      uv[c * 2 + 1] = game ? -stream[at + 7] : stream[at + 7];
      if (game) object.geometry.attributes.tangent.array.set(tangents.subarray(corner * 4, corner * 4 + 4), c * 4);
    }
    for (const name of ['position', 'normal', 'uv', 'tangent']) {
      if (object.geometry.attributes[name]) object.geometry.attributes[name].needsUpdate = true;
    }
  }
  view.box = boxOf(stream);
  const size = view.box.max.clone().sub(view.box.min).length();
  drawSkeleton(model);
  drawFrames(size * 0.015);
  $('frame').value = String(view.frame);
  $('frame-number').textContent = model.clips.length > 0 ? `frame ${view.frame} of ${model.clips[view.clip].frames}` : 'no clips';
  draw();
}

function drawSkeleton(model) {
  const joints = model.jointPositions();
  const position = view.skeleton.geometry.attributes.position.array;
  const color = view.skeleton.geometry.attributes.color.array;
  model.joints.forEach((joint, j) => {
    const parent = joint.parent >= 0 ? joint.parent : j;
    position.set(joints.subarray(j * 3, j * 3 + 3), j * 6);
    position.set(joints.subarray(parent * 3, parent * 3 + 3), j * 6 + 3);
    color.set([1, 0.55, 0, 1, 0.9, 0.2], j * 6);
  });
  view.skeleton.geometry.attributes.position.needsUpdate = view.skeleton.geometry.attributes.color.needsUpdate = true;
}

// Each vertex's normal (blue), tangent (red) and bitangent (green).
function drawFrames(length) {
  if (!view.frames.visible) return;
  const frames = view.model.tangentFrames();
  const position = view.frames.geometry.attributes.position.array;
  const color = view.frames.geometry.attributes.color.array;
  const colors = [[0.2, 0.4, 1], [1, 0.2, 0.2], [0.1, 0.8, 0.2]];
  for (let v = 0; v < frames.length / 12; ++v) {
    const p = frames.subarray(v * 12, v * 12 + 3);
    for (let axis = 0; axis < 3; ++axis) {
      const d = frames.subarray(v * 12 + 3 + axis * 3, v * 12 + 6 + axis * 3);
      const at = (v * 6 + axis * 2) * 3;
      position.set(p, at);
      position.set([p[0] + d[0] * length, p[1] + d[1] * length, p[2] + d[2] * length], at + 3);
      color.set([...colors[axis], ...colors[axis]], at);
    }
  }
  view.frames.geometry.attributes.position.needsUpdate = view.frames.geometry.attributes.color.needsUpdate = true;
}

function resize() {
  const canvas = renderer.domElement;
  const width = canvas.clientWidth, height = canvas.clientHeight;
  if (canvas.width !== width * renderer.getPixelRatio() || canvas.height !== height * renderer.getPixelRatio()) {
    renderer.setSize(width, height, false);
    camera.aspect = width / Math.max(1, height);
    camera.updateProjectionMatrix();
  }
}

function draw() {
  resize();
  renderer.render(scene, camera);
}

// md5tool render's framing of the posed model.
function frameCamera(yawDegrees = 25, pitchDegrees = 12) {
  resize();
  const { min, max } = view.box ?? { min: new THREE.Vector3(-1, -1, -1), max: new THREE.Vector3(1, 1, 1) };
  const { eye, center, distance } = md5toolFraming(min.toArray(), max.toArray(), camera.aspect, yawDegrees, pitchDegrees);
  camera.fov = kFieldOfView;
  camera.near = distance / 100;
  camera.far = distance * 100;
  camera.updateProjectionMatrix();
  camera.position.set(eye[0], eye[1], -eye[2]);
  controls.target.set(center[0], center[1], -center[2]);
  controls.update();
  draw();
}

function fillClips(model) {
  $('clip').replaceChildren(...model.clips.map((clip, c) => {
    const option = document.createElement('option');
    option.value = String(c);
    option.textContent = `${c}: ${clip.name} (${clip.frames} frames at ${clip.frameRate} fps)`;
    return option;
  }));
  $('clip').disabled = model.clips.length === 0;
}

function selectClip(clip) {
  view.clip = clip;
  view.frame = 0;
  const frames = view.model.clips[clip]?.frames ?? 1;
  $('frame').max = String(Math.max(0, frames - 1));
  $('clip').value = String(clip);
  pose();
}

// Shows the model of `files`; a model that does not load leaves the one on show.
async function show(files, { mesh, md5Zip = null, extraMessages = [] } = {}) {
  const meshes = brmath.meshesIn(files);
  const chosen = mesh ?? meshes[0];
  const bytes = Object.values(files).reduce((sum, b) => sum + b.length, 0);
  status(`reading ${chosen ?? 'the files'} and its clips (${(bytes / 1e6).toFixed(1)} MB)…`);
  await new Promise((resolve) => requestAnimationFrame(() => setTimeout(resolve, 0)));
  const model = brmath.load(files, chosen ? { mesh: chosen } : {});
  if (!(await display(model, chosen, files, extraMessages))) return false;
  closeBase();
  view.md5Zip = md5Zip;
  $('mesh').replaceChildren(...meshes.map((name) => new Option(name, name, false, name === chosen)));
  $('mesh').hidden = meshes.length < 2;
  $('download-md5').disabled = md5Zip === null;
  return true;
}

// Puts a loaded model on show; one that did not load leaves the one on show.
async function display(model, chosen, files, extraMessages = []) {
  view.messages = [...extraMessages, ...model.messages];
  showMessages(view.messages);
  if (!model.ok) {
    if (!model.messages.includes(model.error)) showMessages([...extraMessages, ...model.messages, model.error]);
    status(view.model ? `${chosen ?? 'that'} was not shown; still showing ${view.model.mesh}` : 'nothing shown');
    model.free();
    return false;
  }
  if (view.model) view.model.free();
  view.model = model;
  showTargetMessages();
  view.files = files;
  view.md5Zip = null;
  view.baseName = chosen.split('/').pop().replace(/\.md5mesh$/i, '');
  await buildScene(model, files);
  fillClips(model);
  setPlaying(false);
  selectClip(0);
  frameCamera(Number(query.get('yaw') ?? 25), Number(query.get('pitch') ?? 12));
  $('download-glb').disabled = false;
  $('download-md5').disabled = true;
  const vertices = model.meshes.reduce((sum, m) => sum + m.vertices, 0);
  status(`${chosen}: ${model.joints.length} joints, ${model.meshes.length} meshes, ${vertices} vertices, ${model.clips.length} clips`);
  return true;
}

const doomArchive = /^[^/]+\.pk4$/i;
const quakeArchive = /^[^/]+\.(pak|pk3|pkz)$/i;

// Doom 3's archives in name order; Quake's as its ports take them: pak0, pak1, ...,
// pak10 in number order, then other .pak files, then the zips, each by name.
function archiveOrder(a, b) {
  const rank = ({ name }) => {
    const file = name.split('/').pop();
    const numbered = /^pak(\d{1,9})\.pak$/i.exec(file);
    return numbered ? [0, Number(numbered[1])] : /\.pak$/i.test(file) ? [1, 0] : [2, 0];
  };
  const [ra, rb] = [rank(a), rank(b)];
  if (ra[0] !== rb[0] || ra[1] !== rb[1]) return ra[0] - rb[0] || ra[1] - rb[1];
  return a.name.toUpperCase() < b.name.toUpperCase() ? -1 : a.name.toUpperCase() > b.name.toUpperCase() ? 1 : 0;
}

// A game's files: dropped archives (Doom 3's .pk4 in name order, Quake's .pak, .pk3 and
// .pkz in their ports' order, a later one winning) and dropped folders (their own .pk4
// files under their loose files, their own Quake archives over them).
async function openBase(archives, folders) {
  const base = brmath.gameBase();
  const started = performance.now();
  const addArchives = async (list, prefix) => {
    for (const { name, file } of list.sort(archiveOrder)) {
      status(`reading the directory of ${prefix}${name}…`);
      await base.addArchive(`${prefix}${name}`, fileReader(file));
    }
  };
  await addArchives(archives.map((file) => ({ name: file.name, file })), '');
  for (const folder of folders) {
    const inside = Object.entries(folder.files);
    const own = (pattern) => inside.filter(([path]) => pattern.test(path)).map(([path, file]) => ({ name: path, file }));
    await addArchives(own(doomArchive), `${folder.name}/`);
    base.addFolder(folder.name, Object.fromEntries(inside.filter(([path]) => !doomArchive.test(path) && !quakeArchive.test(path))));
    await addArchives(own(quakeArchive), `${folder.name}/`);
  }
  await base.readDeclarations(({ done, total, name }) => status(`reading the declarations: ${done + 1} of ${total} (${name})…`));
  const models = base.models();
  closeBase();
  view.base = base;
  $('model').replaceChildren(...models.map((model) => {
    const label = model.kind === 'mesh' ? `${model.name} (no declaration)` : model.kind === 'entityDef' ? `${model.name} (entityDef)` : model.name;
    return new Option(label, model.name);
  }));
  $('model').hidden = models.length === 0;
  $('mesh').hidden = true;
  view.baseOpened = performance.now() - started;
  if (models.length === 0) {
    showMessages([...base.said().messages, 'no model declaration or mesh in the files']);
    status('nothing shown');
    return false;
  }
  const wanted = query.get('model');
  const first = models.find((model) => model.name === wanted) ?? models.find((model) => !model.problem) ?? models[0];
  $('model').value = first.name;
  return showBaseModel(first.name);
}

async function showBaseModel(name) {
  const started = performance.now();
  const model = await view.base.load(name, ({ done, total, name: file }) => status(`reading ${name}: ${done + 1} of ${total} files (${file})…`));
  const shown = await display(model, name, {}, view.base.said().messages);
  view.loadTime = performance.now() - started;
  return shown;
}

function closeBase() {
  if (view.base) view.base.free();
  view.base = null;
  $('model').hidden = true;
}

// A dropped glTF: converted by md5tool import's code, then shown from its MD5 files.
async function showGltf(name, files) {
  status(`converting ${name}…`);
  await new Promise((resolve) => requestAnimationFrame(() => setTimeout(resolve, 0)));
  const others = Object.fromEntries(Object.entries(files).filter(([n]) => n !== name));
  const result = brmath.importGltf(name, files[name], { files: others });
  if (!result.ok) {
    showMessages(result.messages);
    status(view.model ? `${name} was not converted; still showing ${view.model.mesh}` : `${name} was not converted`);
    return false;
  }
  const zip = zipSync(result.files, { level: 6, mtime: new Date(1980, 0, 1) });
  return show(result.files, { md5Zip: zip, extraMessages: result.messages });
}

// What was opened or dropped: File objects, each with the path it was dropped under.
async function openFiles(list) {
  const archives = list.filter((file) => /\.(pk4|pak|pk3|pkz)$/i.test(file.name) &&
                                        (file.path ?? file.webkitRelativePath ?? '').split('/').filter(Boolean).length <= 1);
  const folders = gameFolders(list);
  if (archives.length > 0 || folders.length > 0) return openBase(archives, folders);
  const files = {};
  for (const file of list) files[file.name] = new Uint8Array(await file.arrayBuffer());
  const gltf = Object.keys(files).find((name) => /\.(glb|gltf)$/i.test(name));
  if (brmath.meshesIn(files).length === 0 && gltf) return showGltf(gltf, files);
  return show(files);
}

// Dropped folders that hold a game: archives or declaration folders at their top, or
// Quake's old models.
// Each is {name, files: path inside it to File}.
function gameFolders(list) {
  const folders = new Map();
  for (const file of list) {
    const parts = (file.path ?? file.webkitRelativePath ?? '').split('/').filter(Boolean);
    if (parts.length < 2) continue;
    if (!folders.has(parts[0])) folders.set(parts[0], { name: parts[0], files: {} });
    folders.get(parts[0]).files[parts.slice(1).join('/')] = file;
  }
  const isGame = (folder) => Object.keys(folder.files).some((path) => doomArchive.test(path) || quakeArchive.test(path) ||
                                                                      /^(def|materials)\//i.test(path) || /\.(mdl|md2)$/i.test(path));
  return [...folders.values()].filter(isGame);
}

// Every file of a dropped folder, its subfolders too, each with its path.
async function filesOfEntry(entry, into) {
  if (entry.isFile) {
    const file = await new Promise((resolve, reject) => entry.file(resolve, reject));
    file.path = entry.fullPath;
    into.push(file);
  } else if (entry.isDirectory) {
    const reader = entry.createReader();
    for (let batch; (batch = await new Promise((resolve, reject) => reader.readEntries(resolve, reject))).length > 0;) {
      for (const child of batch) await filesOfEntry(child, into);
    }
  }
  return into;
}

function download(bytes, name, type) {
  const url = URL.createObjectURL(new Blob([bytes], { type }));
  const link = Object.assign(document.createElement('a'), { href: url, download: name });
  document.body.append(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(url), 10000);
}

// Playing: frames at the clip's own rate, from the frame where play began.
let clock = null;
function setPlaying(playing) {
  view.playing = playing && view.model !== null && view.model.clips.length > 0;
  $('play').textContent = view.playing ? 'Pause' : 'Play';
  clock = view.playing ? { start: performance.now(), frame: view.frame } : null;
  if (view.playing) requestAnimationFrame(tick);
}
function tick(now) {
  if (!view.playing || clock === null) return;
  const clip = view.model.clips[view.clip];
  const frame = clock.frame + Math.floor((now - clock.start) / 1000 * (clip.frameRate > 0 ? clip.frameRate : 24));
  if (frame !== view.frame) {
    view.frame = frame;
    pose();
  }
  requestAnimationFrame(tick);
}
function step(by) {
  setPlaying(false);
  view.frame += by;
  pose();
}

$('open').addEventListener('change', (event) => openFiles([...event.target.files]));
$('open-folder').addEventListener('change', (event) => openFiles([...event.target.files]));
$('sample').addEventListener('click', () => openSample());
$('mesh').addEventListener('change', () => view.files && show(view.files, { mesh: $('mesh').value, md5Zip: view.md5Zip }));
$('model').addEventListener('change', () => view.base && showBaseModel($('model').value));
$('clip').addEventListener('change', () => selectClip(Number($('clip').value)));
$('target').addEventListener('change', () => showTargetMessages());
$('frame').addEventListener('input', () => {
  setPlaying(false);
  view.frame = Number($('frame').value);
  pose();
});
$('play').addEventListener('click', () => setPlaying(!view.playing));
$('back').addEventListener('click', () => step(-1));
$('on').addEventListener('click', () => step(1));
for (const id of ['wireframe', 'skeleton', 'normals']) $(id).addEventListener('change', () => { applyToggles(); pose(); });
$('download-glb').addEventListener('click', () => {
  const exported = view.model.exportGlb();
  showMessages(exported.messages);
  if (exported.ok) download(exported.bytes, `${view.baseName}.glb`, 'model/gltf-binary');
});
$('download-md5').addEventListener('click', () => view.md5Zip && download(view.md5Zip, `${view.baseName}.zip`, 'application/zip'));
document.addEventListener('keydown', (event) => {
  if (event.target instanceof HTMLInputElement && event.target.type !== 'range' && event.target.type !== 'checkbox') return;
  if (event.target instanceof HTMLSelectElement) return;
  if (event.key === ' ') setPlaying(!view.playing);
  else if (event.key === 'ArrowLeft') step(-1);
  else if (event.key === 'ArrowRight') step(1);
  else return;
  event.preventDefault();
});
document.addEventListener('dragover', (event) => {
  event.preventDefault();
  document.body.classList.add('dragging');
});
document.addEventListener('dragleave', () => document.body.classList.remove('dragging'));
document.addEventListener('drop', async (event) => {
  event.preventDefault();
  document.body.classList.remove('dragging');
  const entries = [...event.dataTransfer.items].map((item) => item.webkitGetAsEntry?.()).filter(Boolean);
  const files = entries.length > 0 ? [] : [...event.dataTransfer.files];
  for (const entry of entries) await filesOfEntry(entry, files);
  openFiles(files);
});
window.addEventListener('resize', () => draw());

async function openSample() {
  const names = ['robot.md5mesh', 'idle.md5anim', 'walk.md5anim', 'wave.md5anim'];
  const files = {};
  for (const name of names) files[name] = new Uint8Array(await (await fetch(`samples/robot/${name}`)).arrayBuffer());
  return show(files);
}

// For tests and scripts.
window.viewer = {
  state: () => ({ clip: view.clip, frame: view.frame, playing: view.playing, clips: view.model ? view.model.clips : [],
                  model: view.model ? view.model.mesh : null, baseOpened: view.baseOpened, loadTime: view.loadTime,
                  maps: view.meshes.map((object) => Boolean(object.material.normalMap)),
                  glows: view.meshes.map((object) => Boolean(object.material.emissiveMap)),
                  messages: [...$('messages').children].map((line) => line.textContent) }),
  openBase,
  frameCamera,
  // How wide mesh `mesh` is (its box's diagonal) at a frame of the clip so named.
  meshSpan: (mesh, clipName, frame) => {
    const clip = view.model.clips.findIndex((c) => c.name === clipName);
    const stream = view.model.pose(clip, frame);
    const first = view.model.meshes.slice(0, mesh).reduce((sum, m) => sum + m.triangles * 3, 0);
    const low = [Infinity, Infinity, Infinity], high = [-Infinity, -Infinity, -Infinity];
    for (let corner = first; corner < first + view.model.meshes[mesh].triangles * 3; ++corner) {
      for (let k = 0; k < 3; ++k) {
        low[k] = Math.min(low[k], stream[corner * 8 + k]);
        high[k] = Math.max(high[k], stream[corner * 8 + k]);
      }
    }
    return Math.hypot(high[0] - low[0], high[1] - low[1], high[2] - low[2]);
  },
  ready: true,
};

if (query.get('sample') === 'robot') await openSample();
document.body.dataset.ready = 'true';
