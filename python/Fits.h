#pragma once

#include <pybind11/pybind11.h>

namespace VextalPython {

// Adds vextal.fit and vextal.FitReport (built where Ceres is).
void bindFits(pybind11::module_& module);

} // namespace VextalPython
