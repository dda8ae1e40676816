#pragma once

#include "colour/VertexColouring.h"

#include <pybind11/pybind11.h>

namespace VextalPython {

// The colour= and range= arguments: a mode's name and, when given, the
// values at the colour map's two ends. Refused values raise ValueError
// naming the argument.
Vextal::ColourRequest colourRequestOf(const pybind11::object& colour,
                                      const pybind11::object& range);

// Adds vextal.Colours and Mesh.colour.
void bindColours(pybind11::module_& module);

} // namespace VextalPython
