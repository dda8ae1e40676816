#pragma once

#include "mesh/Vec3.h"

#include <cstdint>

namespace Vextal {

// The edges that only one triangle uses: the rims of the holes a printed
// solid must not have. An edge is its two vertex indices, in either order.
std::uint32_t countOpenEdges(const Triangle* triangles, std::uint32_t triangleCount);

} // namespace Vextal
