#pragma once

#include "python/Scenes.h"
#include "tools/PictureOptions.h"

#include <pybind11/pybind11.h>

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace VextalPython {

// The picture arguments every drawing takes (pictures and animations): the
// size, the camera, the samples, the background, wireframe, the grid, the
// threads and the colouring (mode, range, legend). Refused values raise
// ValueError naming the argument.
struct PictureArguments {
    pybind11::object size, turn, distance, samples, background, wireframe, grid, threads;
    pybind11::object colour = pybind11::none(), range = pybind11::none();
    bool legend = false;
    pybind11::object values = pybind11::none(); // the caller's own, one per vertex
};
VextalTools::PictureSettings pictureSettingsOf(const PictureArguments& given);

// The offscreen drawing goes through the viewer's state, of which a process
// has one at a time: every drawing holds this lock, taken without the GIL.
std::mutex& drawingLock();

// The picture as PNG bytes, as vextal-snapshot writes it.
std::string pngBytes(const std::vector<std::uint8_t>& pixels, std::uint32_t width,
                     std::uint32_t height, bool alpha);

// Adds Scene.picture, Mesh.picture and Scene._repr_png_.
void bindPictures(pybind11::module_& module);

} // namespace VextalPython
