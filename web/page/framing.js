// md5tool render's camera: a 35 degree lens at a yaw and pitch (degrees) about the box
// [min, max] of the posed model in the device's y-up space, backed off until the box
// fills 88% of the picture. Returns the eye, the point looked at and the distance
// between them, in that space. Shared by the page and the three.js test page.
export const kFieldOfView = 35;

export function md5toolFraming(min, max, aspect, yawDegrees, pitchDegrees) {
  const add = (a, b, s = 1) => a.map((v, i) => v + b[i] * s);
  const dot = (a, b) => a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
  const cross = (a, b) => [a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]];
  const unit = (a) => a.map((v) => v / Math.hypot(...a));
  const yaw = yawDegrees * Math.PI / 180, pitch = pitchDegrees * Math.PI / 180;
  const center = add(min, max).map((v) => v / 2);
  const radius = Math.max(1e-3, Math.hypot(...add(max, center, -1)));
  const fovY = kFieldOfView * Math.PI / 180;
  const halfFov = Math.min(fovY / 2, Math.atan(Math.tan(fovY / 2) * aspect));
  const towardsEye = [Math.sin(yaw) * Math.cos(pitch), Math.sin(pitch), -Math.cos(yaw) * Math.cos(pitch)];
  const forward = towardsEye.map((v) => -v);
  const right = unit(cross([0, 1, 0], forward));
  const up = cross(forward, right);
  const tanY = Math.tan(fovY / 2) * 0.88, tanX = Math.tan(fovY / 2) * aspect * 0.88;
  let distance = radius / Math.sin(halfFov) * 0.2;
  for (let corner = 0; corner < 8; ++corner) {
    const offset = add([corner & 1 ? max[0] : min[0], corner & 2 ? max[1] : min[1], corner & 4 ? max[2] : min[2]], center, -1);
    const depth = dot(offset, forward);
    distance = Math.max(distance, Math.abs(dot(offset, right)) / tanX - depth, Math.abs(dot(offset, up)) / tanY - depth);
  }
  return { eye: add(center, towardsEye, distance), center, distance };
}
