// The camera as vextal-snapshot's default view places it: a perspective of
// 45 degrees from 1 to 100, the eye 5 units in front of the surface, and a
// turn kept as a quaternion to which each drag adds a small Euler turn.

export function newCamera() {
    return {orientation: [1, 0, 0, 0], translation: [0, 0, -5]};
}

function normalised([w, x, y, z]) {
    const length = Math.hypot(w, x, y, z);
    return length === 0 ? [w, x, y, z] : [w / length, x / length, y / length, z / length];
}

function eulerToQuaternion(rx, ry, rz) {
    const cx = Math.cos(rx / 2), sx = Math.sin(rx / 2);
    const cy = Math.cos(ry / 2), sy = Math.sin(ry / 2);
    const cz = Math.cos(rz / 2), sz = Math.sin(rz / 2);
    return normalised([cx * cy * cz + sx * sy * sz, sx * cy * cz - cx * sy * sz,
                       cx * sy * cz + sx * cy * sz, cx * cy * sz - sx * sy * cz]);
}

function multiply([pw, px, py, pz], [qw, qx, qy, qz]) {
    return [pw * qw - px * qx - py * qy - pz * qz, pw * qx + px * qw + py * qz - pz * qy,
            pw * qy - px * qz + py * qw + pz * qx, pw * qz + px * qy - py * qx + pz * qw];
}

// A turn of rx radians about the eye's horizontal axis and ry about its
// vertical one, applied after the turn so far.
export function turnCamera(camera, rx, ry) {
    camera.orientation = normalised(multiply(eulerToQuaternion(rx, ry, 0), camera.orientation));
}

export function panCamera(camera, dx, dy) {
    camera.translation[0] += dx;
    camera.translation[1] += dy;
}

// Towards the surface by `amount` (away when negative), never through the
// near plane's side of the eye.
export function approachCamera(camera, amount) {
    camera.translation[2] = Math.min(camera.translation[2] + amount, -1.01);
}

// Column-major 4 x 4 matrices, as WebGL takes them.
export function projectionMatrix(aspect) {
    const near = 1, far = 100;
    const f = 1 / Math.tan((45 * Math.PI) / 360);
    return new Float32Array([f / aspect, 0, 0, 0, 0, f, 0, 0,
                             0, 0, (far + near) / (near - far), -1,
                             0, 0, (2 * far * near) / (near - far), 0]);
}

// The translation after the turn, as the desktop's view transform.
export function viewMatrix(camera) {
    const [w, x, y, z] = camera.orientation;
    const [tx, ty, tz] = camera.translation;
    return new Float32Array([
        1 - 2 * (y * y + z * z), 2 * (x * y + w * z), 2 * (x * z - w * y), 0,
        2 * (x * y - w * z), 1 - 2 * (x * x + z * z), 2 * (y * z + w * x), 0,
        2 * (x * z + w * y), 2 * (y * z - w * x), 1 - 2 * (x * x + y * y), 0,
        tx, ty, tz, 1]);
}
