// Draws a glTF file with three.js as view.html describes.
import * as THREE from 'three';
import { GLTFLoader } from 'three/addons/loaders/GLTFLoader.js';
import { kFieldOfView, md5toolFraming } from '/framing.js';

const query = new URLSearchParams(location.search);
const width = Number(query.get('width') ?? 480), height = Number(query.get('height') ?? 480);

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

// md5tool's framing, as the page frames it.
const { eye, center, distance } = md5toolFraming([min.x, min.y, min.z], [max.x, max.y, max.z], width / height,
                                                 Number(query.get('yaw') ?? 25), Number(query.get('pitch') ?? 12));
const camera = new THREE.PerspectiveCamera(kFieldOfView, width / height, distance / 100, distance * 100);
camera.position.set(eye[0], eye[1], -eye[2]);
camera.lookAt(center[0], center[1], -center[2]);

renderer.render(scene, camera);
document.title = 'drawn';
