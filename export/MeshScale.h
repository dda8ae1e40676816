#pragma once

namespace Vextal {

class PolygonsIndexedNormal;

// Multiplies every coordinate by factor, in double precision, rounded once to
// float. The normals stay as they are: a uniform positive scaling turns no
// surface. A factor large enough to overflow leaves infinite coordinates,
// which the writers' checks then refuse.
void scaleMesh(PolygonsIndexedNormal& mesh, double factor);

} // namespace Vextal
