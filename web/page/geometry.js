// The project's geometry, compiled to WebAssembly: scene text in, the mesh
// or the error at its line out.
import loadGeometry from "./vextal-geometry.mjs";

// Resolves to build(text), which returns {loaded: true, surface, positions,
// normals, indices, hash} or {loaded: false, line, error}.
export async function startGeometry() {
    const module = await loadGeometry();
    return (text) => module.buildScene(text);
}
