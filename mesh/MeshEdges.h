#pragma once

#include "mesh/RingGrid.h"
#include "mesh/Vec3.h"

#include <cstdint>
#include <vector>

namespace Vextal {

class PolygonsIndexedNormal;

// The edges of a mesh's triangles, each once, as pairs of vertex indices
// (ready for one GL_LINES draw): in the order in which drawing every
// triangle's outline (triangle after triangle, the edges i0 to i1, i1 to i2,
// i2 to i0) draws each edge for the last time, and in the direction of that
// last drawing. So where distinct edges coincide at equal depth, the one the
// outlines would show last is drawn last here too. Replaces what `edges` held.
//
// A mesh written as a ring grid gets its edges from the grid's description,
// without looking at a triangle; any other mesh from its triangles (edges
// with an index past the vertices are left out).
void meshEdges(const PolygonsIndexedNormal& mesh, std::vector<std::uint32_t>& edges);

// The same two ways on their own. ringGridEdges requires at least one ring
// and RingGrid::minColumns columns.
void ringGridEdges(const RingGrid& grid, std::vector<std::uint32_t>& edges);
void triangleEdges(const Triangle* triangles, std::uint32_t triangleCount,
                   std::uint32_t vertexCount, std::vector<std::uint32_t>& edges);

} // namespace Vextal
