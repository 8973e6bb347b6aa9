// Draws a glTF file with three.js as view.html describes.
import * as THREE from 'three';
import { GLTFLoader } from 'three/addons/loaders/GLTFLoader.js';

const query = new URLSearchParams(location.search);
const width = Number(query.get('width') ?? 480), height = Number(query.get('height') ?? 480);
const yaw = Number(query.get('yaw') ?? 25) * Math.PI / 180, pitch = Number(query.get('pitch') ?? 12) * Math.PI / 180;

const renderer = new THREE.WebGLRenderer({ antialias: true, preserveDrawingBuffer: true });
renderer.setPixelRatio(1);
renderer.setSize(width, height);
document.body.appendChild(renderer.domElement);

const gltf = await new GLTFLoader().loadAsync(query.get('model'));
const scene = new THREE.Scene();
scene.add(gltf.scene);
scene.background = new THREE.Color(query.get('background') ?? '#ff00ff');
scene.add(new THREE.HemisphereLight(0xffffff, 0x444444, 2.0));
const sun = new THREE.DirectionalLight(0xffffff, 2.0);
sun.position.set(-1, 2, 2);
scene.add(sun);
const clip = gltf.animations[Number(query.get('clip') ?? 0)];
if (clip) {
  const mixer = new THREE.AnimationMixer(gltf.scene);
  mixer.clipAction(clip).play();
  mixer.setTime(Number(query.get('time') ?? 0));
}
scene.updateMatrixWorld(true);

// The posed model's bounds, in the device space md5tool frames (glTF's with z negated).
const box = new THREE.Box3();
scene.traverse((object) => {
  if (!object.isSkinnedMesh && !object.isMesh) return;
  const position = new THREE.Vector3();
  const count = object.geometry.attributes.position.count;
  for (let v = 0; v < count; ++v) {
    if (object.isSkinnedMesh) object.getVertexPosition(v, position); else position.fromBufferAttribute(object.geometry.attributes.position, v);
    box.expandByPoint(position.applyMatrix4(object.matrixWorld));
  }
});
const min = new THREE.Vector3(box.min.x, box.min.y, -box.max.z), max = new THREE.Vector3(box.max.x, box.max.y, -box.min.z);

// md5tool's framing: a 35 degree lens, backed off until the box fills 88% of the picture.
const center = min.clone().add(max).multiplyScalar(0.5);
const radius = Math.max(1e-3, max.clone().sub(center).length());
const fovY = 35 * Math.PI / 180, aspect = width / height;
const halfFov = Math.min(fovY / 2, Math.atan(Math.tan(fovY / 2) * aspect));
const towardsEye = new THREE.Vector3(Math.sin(yaw) * Math.cos(pitch), Math.sin(pitch), -Math.cos(yaw) * Math.cos(pitch));
const forward = towardsEye.clone().negate();
const right = new THREE.Vector3(0, 1, 0).cross(forward).normalize();
const up = forward.clone().cross(right);
const tanY = Math.tan(fovY / 2) * 0.88, tanX = Math.tan(fovY / 2) * aspect * 0.88;
let distance = radius / Math.sin(halfFov) * 0.2;
for (let corner = 0; corner < 8; ++corner) {
  const p = new THREE.Vector3(corner & 1 ? max.x : min.x, corner & 2 ? max.y : min.y, corner & 4 ? max.z : min.z);
  const offset = p.sub(center);
  const depth = offset.dot(forward);
  distance = Math.max(distance, Math.abs(offset.dot(right)) / tanX - depth, Math.abs(offset.dot(up)) / tanY - depth);
}
const eye = center.clone().add(towardsEye.multiplyScalar(distance));
const camera = new THREE.PerspectiveCamera(35, aspect, distance / 100, distance * 100);
camera.position.set(eye.x, eye.y, -eye.z);
camera.lookAt(center.x, center.y, -center.z);

renderer.render(scene, camera);
document.title = 'drawn';
