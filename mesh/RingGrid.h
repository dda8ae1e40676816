#pragma once

#include "mesh/Vec3.h"

#include <cstdint>

namespace Vextal {

// The triangle order of the parametric tessellation: `rings` rings of
// `columns` vertices (vertex ring * columns + column), the band of two
// triangles per column between neighbouring rings, and, when capped, the end
// pole (rings * columns) and the start pole after it with two fans of
// triangles interleaved after the band. computeNormals() uses it to gather
// each vertex's face normals in triangle order instead of scattering them.
struct RingGrid {
    std::uint32_t rings = 0;
    std::uint32_t columns = 0;
    bool capped = false;

    // Smallest and largest grid the gathering handles; any other mesh takes
    // the plain per-triangle path.
    static constexpr std::uint32_t minColumns = 3;
    static constexpr std::uint32_t maxColumns = 255;

    std::uint32_t vertexCount() const { return rings * columns + (capped ? 2 : 0); }
    std::uint32_t triangleCount() const {
        return (2 * rings - 2 + (capped ? 2 : 0)) * columns;
    }
    bool gatherable() const {
        return rings >= 1 && columns >= minColumns && columns <= maxColumns;
    }
};

// True when the counts and a sample of triangles (the first and last of the
// band and of the caps) are those of the grid: a cheap guard against a grid
// description that no longer matches the triangles.
bool trianglesFollow(const RingGrid& grid, const Triangle* triangles,
                     std::uint32_t vertexCount, std::uint32_t triangleCount);

// Per-vertex normals of a mesh whose triangles follow the grid, bit for bit
// what the per-triangle computation gives: the same face normals, summed per
// vertex in triangle order from (0, 0, 0), then normalised. Requires
// grid.gatherable().
void ringGridNormals(const RingGrid& grid, const Vec3* vertices, Vec3* normals);

} // namespace Vextal
