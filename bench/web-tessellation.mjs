// The page's WebAssembly load and tessellation beside the desktop's, on the
// same scene text, in one run: the median of RUNS loads each, both including
// the mesh's hash (and, for the page, the copies into JavaScript arrays),
// both on one thread. Past 255 (what a scene file's counts hold) the grid is
// given as the tools' --grid gives it. Prints the module's memory after too.
//   node bench/web-tessellation.mjs BUILD_DIR [SLICES [RUNS]]
import {execFileSync} from "child_process";
import {createRequire} from "module";
import fs from "fs";
import os from "os";
import path from "path";

const [build, slices = "1024", runs = "5"] = process.argv.slice(2);
const onGrid = Number(slices) > 255;
const scene = `"sss\nslice ${onGrid ? 64 : slices} rotate ${onGrid ? 64 : slices}\ncoef1 2 7 7 5 1 1\ncoef2 2 2 2 4 0.8 0.24\nrender\n`;
const median = (values) => values.sort((a, b) => a - b)[Math.floor(values.length / 2)];

// The module is built for the browser; under node it needs node's require.
globalThis.require = createRequire(import.meta.url);
globalThis.__dirname = path.resolve(build, "web");
const {default: loadGeometry} = await import(path.resolve(build, "web/vextal-geometry.mjs"));
const geometry = await loadGeometry();
const page = [];
let pageHash;
for (let k = 0; k < Number(runs); ++k) {
    const start = performance.now();
    const n = Number(slices);
    pageHash = (onGrid ? geometry.buildSceneOnGrid(scene, n, n) : geometry.buildScene(scene)).hash;
    page.push(performance.now() - start);
}

const folder = fs.mkdtempSync(path.join(os.tmpdir(), "web-tessellation-"));
const file = path.join(folder, "scene.vextal");
fs.writeFileSync(file, scene);
const desktop = [];
let desktopHash;
for (let k = 0; k < Number(runs); ++k) {
    const start = performance.now();
    const grid = onGrid ? ["--grid", `${slices}x${slices}`] : [];
    desktopHash = execFileSync(path.resolve(build, "tests/vextal-mesh-hash"), [...grid, file])
                      .toString().split(" ")[1].trim();
    desktop.push(performance.now() - start);
}
fs.rmSync(folder, {recursive: true, force: true});
const [p, d] = [median(page), median(desktop)];
const heap = geometry.HEAPU8 ? ` (the module's memory ${(geometry.HEAPU8.length / 2 ** 20).toFixed(0)} MiB)` : "";
console.log(`${slices} x ${slices}${heap}: page ${p.toFixed(0)} ms, desktop ${d.toFixed(0)} ms (a process each), ` +
            `ratio ${(p / d).toFixed(2)}; hashes ${pageHash === desktopHash ? "equal" : "DIFFER"}`);
