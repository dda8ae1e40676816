#pragma once

#include "scene/SceneLoader.h"
#include "scene/SceneValues.h"

#include <pybind11/pybind11.h>

#include <string>

namespace VextalPython {

// A scene as Python holds it: the values a load left, which the attributes
// edit, and the file it came from. Its mesh and pictures are those of its
// canonical text, which loads as the same surface, bit for bit.
struct Scene {
    Vextal::SceneValues values;
    std::string path; // empty for scene text and keyword scenes
};

// What messages and the output's checks call the scene: its file, or "scene text".
std::string shownName(const Scene& scene);

// Adds vextal.Scene and vextal.load.
void bindScenes(pybind11::module_& module);

} // namespace VextalPython
