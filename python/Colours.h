#pragma once

#include "colour/VertexColouring.h"

#include <pybind11/pybind11.h>

#include <optional>

namespace VextalPython {

// The colour= and range= arguments: a mode's name and, when given, the
// values at the colour map's two ends. Refused values raise ValueError
// naming the argument.
Vextal::ColourRequest colourRequestOf(const pybind11::object& colour,
                                      const pybind11::object& range);

// The colours of values the caller computed (a 1-D array or sequence of
// numbers, one per vertex; non-finite ones take the grey), mapped on `range`
// or their own percentile range: with the diverging map when `colour` is
// gaussian or mean, else the sequential one. The mode is `colour`'s name, or
// "values". Nothing when `values` is None.
std::optional<Vextal::VertexColours> valueColoursOf(const pybind11::object& values,
                                                    const pybind11::object& colour,
                                                    const pybind11::object& range);

// Adds vextal.Colours and Mesh.colour.
void bindColours(pybind11::module_& module);

} // namespace VextalPython
