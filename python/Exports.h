#pragma once

#include <pybind11/pybind11.h>

namespace VextalPython {

// Adds vextal.export.
void bindExports(pybind11::module_& module);

} // namespace VextalPython
