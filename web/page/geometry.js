// The project's geometry, compiled to WebAssembly: scene text in, the mesh
// or the error at its line out.
import loadGeometry from "./vextal-geometry.mjs";

// A load reads a scene's first MiB and the byte after it: no more characters
// than that need to reach the module, however much was pasted.
const readCharacters = (1 << 20) + 1;

// The finest grid the page builds: 1024 x 1024 holds about 100 MB of mesh
// in the module, JavaScript and the GPU together (docs/web.md).
export const largestGrid = 1024;

let modulePromise = null;
function geometryModule() {
    modulePromise ??= loadGeometry();
    return modulePromise;
}

// Why a grid {slices, rotations} is not one the page builds; null when it is.
function gridRefusal(grid) {
    const inRange = (n) => Number.isInteger(n) && n >= 3 && n <= largestGrid;
    if (!inRange(grid.slices) || !inRange(grid.rotations))
        return `the page's grid is at most ${largestGrid} x ${largestGrid}, each count from 3`;
    return null;
}

// Resolves to build(text, grid), which returns {loaded: true, surface,
// positions, normals, indices, hash} or {loaded: false, line, error}; with a
// grid {slices, rotations}, on that grid instead of the file's.
export async function startGeometry() {
    const module = await geometryModule();
    return (text, grid = null) => {
        if (grid === null)
            return module.buildScene(text.slice(0, readCharacters));
        const refusal = gridRefusal(grid);
        if (refusal !== null)
            return {loaded: false, line: 0, error: refusal};
        return module.buildSceneOnGrid(text.slice(0, readCharacters), grid.slices, grid.rotations);
    };
}

// Resolves to the bytes of the file vextal-export writes of the scene text in
// `format` ("stl", "ply", "3mf" or "glb"); `options` are its options: {unit,
// fit, scale, weld, grid: {slices, rotations}}. Rejects with the reason a file
// is not written.
export async function exportFile(text, format, options = {}) {
    const module = await geometryModule();
    const {grid = null, ...rest} = options;
    if (grid !== null) {
        const refusal = gridRefusal(grid);
        if (refusal !== null)
            throw new Error(refusal);
        rest.slices = grid.slices;
        rest.rotations = grid.rotations;
    }
    const result = module.exportFile(text.slice(0, readCharacters), format, rest);
    if (!result.written)
        throw new Error(result.error);
    return result.bytes;
}
