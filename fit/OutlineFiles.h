#pragma once

#include "fit/PointFiles.h"

#include <string>

namespace Vextal {

// The points of an outline: plain text with one "x y" a line, or an SVG file
// whose paths are straight segments (each path's, polyline's and polygon's
// vertices, in the file's own coordinates: y grows downwards). Curves, arcs,
// circles, ellipses and transforms are refused in words naming them. z is 0;
// the format is told by the contents ("SVG" or "text").
PointRead readOutlineFile(const std::string& path, const PointReadOptions& options);

} // namespace Vextal
