// A scene handed over in the address's fragment: "#view=...&colour=...&scene="
// and the percent-encoded scene text, the scene last so that everything
// after "scene=" is its text ("#scene=" alone works too). The fragment
// stays in the browser, never reaches a server; its text is only ever put
// in the text box as text, its view and colour mode only taken when valid.

// A scene file is read up to 1 MiB: its encoding takes at most three
// characters a byte, and the view and the colour mode a few hundred more.
const longestFragment = 3 * (1 << 20) + 512;

// The camera as the link writes it: its turn (w, x, y, z) and translation.
export function viewField(camera) {
    return [...camera.orientation, ...camera.translation].map(String).join(",");
}

export function fragmentOf({text, camera, colour}) {
    return `#view=${viewField(camera)}&colour=${encodeURIComponent(colour)}` +
           `&scene=${encodeURIComponent(text)}`;
}

// A view the pointer could have made: a unit turn, the surface in front of
// the eye within the far plane; else null.
function viewFrom(field) {
    const numbers = field.split(",").map(Number);
    if (numbers.length !== 7 || !numbers.every(Number.isFinite))
        return null;
    const [w, x, y, z, tx, ty, tz] = numbers;
    if (Math.abs(Math.hypot(w, x, y, z) - 1) > 1e-6 || Math.abs(tx) > 100 || Math.abs(ty) > 100 ||
        !(tz <= -1.01 && tz >= -100))
        return null;
    return {orientation: [w, x, y, z], translation: [tx, ty, tz]};
}

// {scene, view, colour} from `hash`, each null when absent or refused, and
// `reason` when something was refused. Colour modes other than `modes`
// are refused.
export function readFragment(hash, modes) {
    const read = {scene: null, view: null, colour: null, reason: null};
    if (hash.length > longestFragment) {
        if (hash.includes("scene="))
            read.reason = "the address holds more than a scene file's 1 MiB: not loaded";
        return read;
    }
    let rest = hash.slice(1);
    while (rest.length > 0 && !rest.startsWith("scene=")) {
        const end = rest.indexOf("&");
        const field = end < 0 ? rest : rest.slice(0, end);
        rest = end < 0 ? "" : rest.slice(end + 1);
        if (field.startsWith("view=")) {
            read.view = viewFrom(field.slice("view=".length));
            if (!read.view)
                read.reason = "the address's view is not one the page can show: not taken";
        } else if (field.startsWith("colour=")) {
            const name = field.slice("colour=".length);
            read.colour = modes.includes(name) ? name : null;
            if (!read.colour)
                read.reason = "the address's colour mode is none the page has: not taken";
        } else {
            // Not a link the page wrote: nothing of it is taken.
            return {scene: null, view: null, colour: null, reason: null};
        }
    }
    if (!rest.startsWith("scene="))
        return read.view || read.colour ? read : {scene: null, view: null, colour: null, reason: null};
    try {
        read.scene = decodeURIComponent(rest.slice("scene=".length));
    } catch {
        read.reason = "the address's scene is not percent-encoded text: not loaded";
    }
    return read;
}
