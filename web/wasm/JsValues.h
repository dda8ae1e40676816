#pragma once

// What the page's bindings hand to JavaScript: copies of arrays, the
// result of a load that stopped before "render", and a scene's mesh.
#include "scene/SceneLoader.h"

#include <emscripten/val.h>

#include <cstdint>
#include <optional>
#include <string>
#include <type_traits>

namespace Vextal {

// A copy of `count` items at `data` as a JavaScript typed array that owns
// its memory: WebAssembly's memory may move when it grows.
template <typename T> emscripten::val copiedArray(const T* data, std::size_t count) {
    if (count == 0) {
        const char* type = std::is_same_v<T, float>          ? "Float32Array"
                           : std::is_same_v<T, std::uint8_t> ? "Uint8Array"
                                                             : "Uint32Array";
        return emscripten::val::global(type).new_(0);
    }
    return emscripten::val(emscripten::typed_memory_view(count, data))
        .call<emscripten::val>("slice");
}

inline emscripten::val failure(std::uint32_t line, const std::string& message) {
    emscripten::val result = emscripten::val::object();
    result.set("loaded", false);
    result.set("line", line);
    result.set("error", message);
    return result;
}

// Loads `text` as a scene file with these bytes would load, into `mesh` and
// `loaded`. A load that stops before "render" gives its line and the reason
// as vextal-check says them; a mesh (positions, normals, indices, its hash)
// is returned only for a load that reached "render".
emscripten::val buildSceneInto(const std::string& text, PolygonsIndexedNormal& mesh,
                               SceneLoadResult& loaded, const MeshBuild& build = {});

// Why a grid of `slices` x `rotations` is not one a load takes (each count
// from 3 to 4096, as the tools' --grid); nothing when it is.
std::optional<std::string> gridRefusal(std::uint32_t slices, std::uint32_t rotations);

} // namespace Vextal
