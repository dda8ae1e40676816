// The page's one way into the geometry: scene text in; positions, normals,
// triangle indices, the mesh's hash, or the error at its line, out. Only
// converts and forwards; the loading and tessellation are the tools' own.
#include "mesh/MeshHash.h"
#include "mesh/PolygonsIndexedNormal.h"
#include "primitives/PrimitiveParametric.h"
#include "scene/SceneExplanation.h"
#include "scene/SceneLoader.h"
#include "scene/SceneTokenReader.h"

#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <string>

namespace Vextal {

namespace {

using emscripten::val;

// A copy of `count` items at `data` as a JavaScript typed array that owns
// its memory: WebAssembly's memory may move when it grows.
template <typename T> val copiedArray(const T* data, std::size_t count) {
    if (count == 0)
        return val::global(std::is_same_v<T, float> ? "Float32Array" : "Uint32Array").new_(0);
    return val(emscripten::typed_memory_view(count, data)).call<val>("slice");
}

val failure(std::uint32_t line, const std::string& message) {
    val result = val::object();
    result.set("loaded", false);
    result.set("line", line);
    result.set("error", message);
    return result;
}

// Loads `text` as a scene file with these bytes would load. A load that
// stops before "render" gives its line and the reason as vextal-check
// says them; a mesh is returned only for a load that reached "render".
val buildSceneWith(const std::string& text, const MeshBuild& build) {
    // Only what a load reads: the first MiB and the byte after it.
    const std::string_view bytes =
        std::string_view(text).substr(0, std::size_t(SceneTokenReader::readLimit) + 1);
    PolygonsIndexedNormal mesh;
    const SceneLoadResult loaded = loadSceneText(bytes, mesh, build);
    // Only a failed load is read again, step by step, to find its line.
    if (!loaded.rendered()) {
        const SceneExplanation explained = explainScene(bytes);
        return failure(explained.stopLine, explained.stop);
    }
    val result = val::object();
    result.set("loaded", true);
    result.set("surface", describe(loaded.scene));
    result.set("positions", copiedArray(&mesh.vertices->x, 3 * std::size_t(mesh.vertexCount)));
    result.set("normals", copiedArray(&mesh.normals->x, 3 * std::size_t(mesh.normalCount)));
    result.set("indices", copiedArray(&mesh.triangles->i0, 3 * std::size_t(mesh.triangleCount)));
    result.set("hash", meshHashText(mesh));
    return result;
}

val buildScene(const std::string& text) {
    return buildSceneWith(text, {});
}

// The same on another grid than the file's, as the tools' --grid gives:
// each count from 3 to 4096 (the page keeps to 1024).
val buildSceneOnGrid(const std::string& text, std::uint32_t slices, std::uint32_t rotations) {
    const auto inRange = [](std::uint32_t n) { return n >= 3 && n <= maxGridCount; };
    if (!inRange(slices) || !inRange(rotations))
        return failure(0, "the grid needs slices and rotations from 3 to " +
                              std::to_string(maxGridCount));
    return buildSceneWith(text, {.grid = GridSize{slices, rotations}});
}

} // namespace

} // namespace Vextal

EMSCRIPTEN_BINDINGS(vextal) {
    emscripten::function("buildScene", &Vextal::buildScene);
    emscripten::function("buildSceneOnGrid", &Vextal::buildSceneOnGrid);
}
