#pragma once

#include <pybind11/pybind11.h>

namespace VextalPython {

// Adds vextal.animate.
void bindAnimations(pybind11::module_& module);

} // namespace VextalPython
