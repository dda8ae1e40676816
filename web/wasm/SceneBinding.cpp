// The page's one way into the geometry: scene text in; positions, normals,
// triangle indices, the mesh's hash, or the error at its line, out. Only
// converts and forwards; the loading and tessellation are the tools' own.
#include "mesh/MeshHash.h"
#include "mesh/PolygonsIndexedNormal.h"
#include "primitives/PrimitiveParametric.h"
#include "scene/SceneExplanation.h"
#include "scene/SceneLoader.h"
#include "scene/SceneTokenReader.h"
#include "web/wasm/JsValues.h"

#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <optional>
#include <string>

namespace Vextal {

namespace {

using emscripten::val;

val buildScene(const std::string& text) {
    PolygonsIndexedNormal mesh;
    SceneLoadResult loaded;
    return buildSceneInto(text, mesh, loaded);
}

// The same on another grid than the file's, as the tools' --grid gives:
// each count from 3 to 4096 (the page keeps to 1024).
val buildSceneOnGrid(const std::string& text, std::uint32_t slices, std::uint32_t rotations) {
    const std::optional<std::string> refused = gridRefusal(slices, rotations);
    if (refused)
        return failure(0, *refused);
    PolygonsIndexedNormal mesh;
    SceneLoadResult loaded;
    return buildSceneInto(text, mesh, loaded, {.grid = GridSize{slices, rotations}});
}

} // namespace

std::optional<std::string> gridRefusal(std::uint32_t slices, std::uint32_t rotations) {
    const auto inRange = [](std::uint32_t n) { return n >= 3 && n <= maxGridCount; };
    if (inRange(slices) && inRange(rotations))
        return std::nullopt;
    return "the grid needs slices and rotations from 3 to " + std::to_string(maxGridCount);
}

val buildSceneInto(const std::string& text, PolygonsIndexedNormal& mesh, SceneLoadResult& loaded,
                   const MeshBuild& build) {
    // Only what a load reads: the first MiB and the byte after it.
    const std::string_view bytes =
        std::string_view(text).substr(0, std::size_t(SceneTokenReader::readLimit) + 1);
    loaded = loadSceneText(bytes, mesh, build);
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

} // namespace Vextal

EMSCRIPTEN_BINDINGS(vextal) {
    emscripten::function("buildScene", &Vextal::buildScene);
    emscripten::function("buildSceneOnGrid", &Vextal::buildSceneOnGrid);
}
