#pragma once

#include "mesh/VertexColours.h"

#include <cstdio>
#include <string>

namespace Vextal {

class PolygonsIndexedNormal;

// Wavefront OBJ in array order: "v" lines, "vn" lines, then one "f a//a b//b c//c"
// line per triangle with 1-based indices and the corners as i0, i2, i1, so that
// readers taking counter-clockwise as the front see faces that agree with the
// normals. Numbers have 9 significant digits, enough for every float to read
// back exactly; non-finite values print as nan, inf, -inf. The comment becomes
// the first line.
void writeObj(std::FILE* out, const PolygonsIndexedNormal& mesh, const std::string& comment);
// With colours, every "v" line carries its vertex's colour after the
// position, "v x y z r g b", each channel from 0 to 1 (the extension that
// most readers take), and a second comment line names the colouring and its
// range.
void writeObj(std::FILE* out, const PolygonsIndexedNormal& mesh, const std::string& comment,
              const VertexColours* colours);

} // namespace Vextal
