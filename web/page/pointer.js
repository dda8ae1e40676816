// Mouse, wheel and touch turned into the camera's meanings: a drag turns,
// a right or Shift drag pans, the wheel and a pinch zoom.
import {approachCamera, panCamera, turnCamera} from "./camera.js";

// A page is dragged across a few hundred pixels: a quarter turn per 250.
const radiansPerPixel = Math.PI / 2 / 250;
const unitsPerPixel = 1 / 200;
// One wheel notch (100 pixels of deltaY) moves as the desktop's: 0.32768.
const unitsPerWheelPixel = 0.0032768;

// Calls changed() after every camera change.
export function followPointer(canvas, camera, changed) {
    const touches = new Map();
    let last = null;
    canvas.addEventListener("contextmenu", (event) => event.preventDefault());
    canvas.addEventListener("pointerdown", (event) => {
        // Keeps the drag when the pointer leaves the canvas; a pointer the
        // browser no longer tracks cannot be captured, and drags all the same.
        try {
            canvas.setPointerCapture(event.pointerId);
        } catch {}
        touches.set(event.pointerId, {x: event.clientX, y: event.clientY});
        last = {x: event.clientX, y: event.clientY, pan: event.button === 2 || event.shiftKey};
    });
    canvas.addEventListener("pointermove", (event) => {
        if (!touches.has(event.pointerId))
            return;
        const before = touches.get(event.pointerId);
        if (touches.size >= 2) {
            // A pinch: the change of the two fingers' spread approaches.
            const [a, b] = [...touches.values()];
            const spread = Math.hypot(a.x - b.x, a.y - b.y);
            touches.set(event.pointerId, {x: event.clientX, y: event.clientY});
            const [c, d] = [...touches.values()];
            approachCamera(camera, (Math.hypot(c.x - d.x, c.y - d.y) - spread) * unitsPerPixel);
        } else {
            const dx = event.clientX - before.x, dy = event.clientY - before.y;
            touches.set(event.pointerId, {x: event.clientX, y: event.clientY});
            if (last && last.pan)
                panCamera(camera, dx * unitsPerPixel, -dy * unitsPerPixel);
            else
                turnCamera(camera, dy * radiansPerPixel, dx * radiansPerPixel);
        }
        changed();
    });
    const lift = (event) => {
        touches.delete(event.pointerId);
        if (touches.size === 0)
            last = null;
    };
    canvas.addEventListener("pointerup", lift);
    canvas.addEventListener("pointercancel", lift);
    canvas.addEventListener("wheel", (event) => {
        event.preventDefault();
        const pixels = event.deltaMode === 0 ? event.deltaY : event.deltaY * 33;
        approachCamera(camera, -pixels * unitsPerWheelPixel);
        changed();
    }, {passive: false});
}
