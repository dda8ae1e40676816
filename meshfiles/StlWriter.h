#pragma once

#include "mesh/Workers.h"

#include <cstdio>
#include <string>

namespace Vextal {

class PolygonsIndexedNormal;

// Binary STL, little-endian: an 80-byte header holding the comment (cut to
// fit, padded with zero bytes), the triangle count as uint32, then per
// triangle a float normal, three float corners and a zero uint16. The corners
// are written as i0, i2, i1, like the OBJ, so they run counter-clockwise seen
// from outside; the normal is the unit right-handed normal of the written
// corners, worked out in double precision so that huge coordinates cannot
// overflow it, and (0, 0, 0) for a triangle without area. Positions are written
// as they are: check the mesh first (checkFinitePositions) when the file must
// be printable. The facets of a large mesh are formatted by the workers, with
// the same bytes for any number of threads.
void writeStl(std::FILE* out, const PolygonsIndexedNormal& mesh, const std::string& comment);
void writeStl(std::FILE* out, const PolygonsIndexedNormal& mesh, const std::string& comment,
              const Workers& workers);

} // namespace Vextal
