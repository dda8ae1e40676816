#pragma once

#include <string>

namespace Vextal {

class PolygonsIndexedNormal;

// Why a mesh cannot be written as a solid for printing, or an empty string when
// it can. A format that stores only positions needs every vertex position
// finite; one that stores normals as well needs every normal finite too (a
// normal can overflow to NaN even when the positions are finite but huge).
// The reason names how many vertices are affected.
std::string checkFinitePositions(const PolygonsIndexedNormal& mesh);
std::string checkFinitePositionsAndNormals(const PolygonsIndexedNormal& mesh);

// Why a mesh's coordinates do not fit a format that bounds them (3MF: no
// coordinate beyond 1e9 in the model's unit), naming the bound; empty when
// every finite coordinate lies within -largest..largest.
std::string checkCoordinatesWithin(const PolygonsIndexedNormal& mesh, double largest);

} // namespace Vextal
