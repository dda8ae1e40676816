#pragma once

#include "mesh/VertexColours.h"
#include "mesh/Workers.h"

#include <cstdio>
#include <string>

namespace Vextal {

class PolygonsIndexedNormal;

// Binary little-endian PLY: one "vertex" element per vertex with float
// x y z nx ny nz, then one "face" element per triangle as a uchar count of 3
// and three uint32 indices, corners in the order i0, i2, i1 as in the OBJ, so
// that readers taking counter-clockwise as the front see faces that agree with
// the normals. The comment goes into the header with line breaks turned into
// spaces. Values are written as they are: check the mesh first
// (checkFinitePositionsAndNormals) when the file must be printable.
void writePly(std::FILE* out, const PolygonsIndexedNormal& mesh, const std::string& comment);
void writePly(std::FILE* out, const PolygonsIndexedNormal& mesh, const std::string& comment,
              const Workers& workers);
// With colours, each vertex also has uchar red green blue and its value as
// float quality (NaN where it is not finite), and a second comment names the
// colouring and its range.
void writePly(std::FILE* out, const PolygonsIndexedNormal& mesh, const std::string& comment,
              const Workers& workers, const VertexColours* colours);

} // namespace Vextal
