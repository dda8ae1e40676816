#pragma once

#include "python/Scenes.h"
#include "tools/PictureOptions.h"

#include <pybind11/pybind11.h>

#include <mutex>

namespace VextalPython {

// The picture arguments every drawing takes (pictures and animations): the
// size, the camera, the samples, the background, wireframe, the grid and the
// threads. Refused values raise ValueError naming the argument.
struct PictureArguments {
    pybind11::object size, turn, distance, samples, background, wireframe, grid, threads;
};
VextalTools::PictureSettings pictureSettingsOf(const PictureArguments& given);

// The offscreen drawing goes through the viewer's state, of which a process
// has one at a time: every drawing holds this lock, taken without the GIL.
std::mutex& drawingLock();

// Adds Scene.picture and Scene._repr_png_.
void bindPictures(pybind11::module_& module);

} // namespace VextalPython
