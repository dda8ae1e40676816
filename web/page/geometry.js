// The project's geometry, compiled to WebAssembly: scene text in, the mesh
// or the error at its line out.
import loadGeometry from "./vextal-geometry.mjs";

// A load reads a scene's first MiB and the byte after it: no more characters
// than that need to reach the module, however much was pasted.
const readCharacters = (1 << 20) + 1;

// Resolves to build(text), which returns {loaded: true, surface, positions,
// normals, indices, hash} or {loaded: false, line, error}.
export async function startGeometry() {
    const module = await loadGeometry();
    return (text) => module.buildScene(text.slice(0, readCharacters));
}
