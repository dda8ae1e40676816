#pragma once

#include <pybind11/pybind11.h>

namespace VextalPython {

// Adds vextal.fit_curve, vextal.Curve and vextal.CurveReport.
void bindCurveFits(pybind11::module_& module);

} // namespace VextalPython
