#pragma once

#include "mesh/Vec3.h"
#include "mesh/Workers.h"

#include <cstdint>

namespace Vextal {

// How a mesh's triangles share their edges. An edge is two vertex indices in
// either order; a triangle that names a vertex twice adds no edge between
// that vertex and itself. A watertight surface uses every edge twice, once in
// each direction.
struct EdgeCounts {
    std::uint32_t open = 0;    // used by one triangle: the rim of a hole
    std::uint32_t tangled = 0; // used more than twice, or twice the same way

    bool watertight() const { return open == 0 && tangled == 0; }
};

// The workers share the sorting of a large mesh's edges.
EdgeCounts countEdges(const Triangle* triangles, std::uint32_t triangleCount,
                      const Workers& workers = {});

} // namespace Vextal
