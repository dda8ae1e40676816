#pragma once

#include <pybind11/pybind11.h>

namespace VextalPython {

// Adds vextal.png(array) and vextal.write_png(path, array).
void bindPngFiles(pybind11::module_& module);

} // namespace VextalPython
