#pragma once

#include <pybind11/pybind11.h>

namespace VextalPython {

// Adds the typed surface to vextal.Scene: Scene.parametric(x=..., y=..., z=...,
// u=(lo, hi), v=(lo, hi), params={...}) and the attributes x, y, z, u_range,
// v_range and params. Call after bindScenes.
void bindTypedScenes(pybind11::module_& module);

} // namespace VextalPython
