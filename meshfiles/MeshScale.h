#pragma once

#include <string>

namespace Vextal {

class PolygonsIndexedNormal;

// Why the mesh scaled by factor cannot stand in floats, or an empty string
// when it can: a finite coordinate that would overflow to infinity, or a
// normal one that would underflow to zero or below the smallest normal float
// (1.17549435e-38), where it keeps too few bits to be a position. The
// factor is positive.
// Every scaling the writers are handed passes this first.
std::string scaleRefusal(const PolygonsIndexedNormal& mesh, double factor);

// Multiplies every coordinate by factor, in double precision, rounded once to
// float. The normals stay as they are: a uniform positive scaling turns no
// surface. A factor large enough to overflow leaves infinite coordinates
// (scaleRefusal says so beforehand).
void scaleMesh(PolygonsIndexedNormal& mesh, double factor);

} // namespace Vextal
