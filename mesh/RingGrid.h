#pragma once

#include "mesh/Vec3.h"
#include "mesh/Workers.h"

#include <cassert>
#include <cstdint>

namespace Vextal {

// A corner of a grid triangle, relative to the cell the triangle belongs to:
// ring 0 is the cell's ring and 1 the next one; column 0 is the cell's column
// and 1 the column after it, which is column 0 again after the last column.
struct GridCorner {
    std::uint8_t ring;
    std::uint8_t column;
};

// The mesh of the parametric tessellation, described once for everything
// that writes or reads its triangles: `rings` rings of `columns` vertices
// (vertex ring * columns + column) and, when capped, the end pole
// (rings * columns) and the start pole after it. The band comes first: per
// pair of neighbouring rings, per column, the cell's two triangles `band`.
// Then the caps: per column c, the start fan's triangle on ring 0, then the
// end fan's on the last ring, each the pole followed by two columns of its
// ring. Every triangle runs clockwise seen from outside.
struct RingGrid {
    std::uint32_t rings = 0;
    std::uint32_t columns = 0;
    bool capped = false;

    static constexpr GridCorner band[2][3] = {{{0, 0}, {1, 0}, {1, 1}}, {{0, 0}, {1, 1}, {0, 1}}};
    // Column offsets (from c) of the two ring vertices after the pole.
    static constexpr std::uint8_t startFan[2] = {0, 1};
    static constexpr std::uint8_t endFan[2] = {1, 0};

    // Smallest and largest grid whose normals are gathered per vertex; the
    // largest is the largest grid the tools tessellate.
    static constexpr std::uint32_t minColumns = 3;
    static constexpr std::uint32_t maxColumns = 4096;

    std::uint32_t vertex(std::uint32_t ring, std::uint32_t column) const {
        return ring * columns + column;
    }
    std::uint32_t endPole() const { return rings * columns; }
    std::uint32_t startPole() const { return endPole() + 1; }
    std::uint32_t bandTriangleCount() const { return rings == 0 ? 0 : 2 * (rings - 1) * columns; }

    std::uint32_t vertexCount() const { return rings * columns + (capped ? 2 : 0); }
    std::uint32_t triangleCount() const { return bandTriangleCount() + (capped ? 2 * columns : 0); }
    // Edges used by one triangle: the two rims of an uncapped band. Every
    // other edge of the grid is walked once each way.
    std::uint32_t openEdgeCount() const { return !capped && rings >= 2 ? 2 * columns : 0; }
    // Whether the above holds, and no edge is used twice the same way or
    // more than twice: so with three columns or more (fewer make a cell's
    // edges coincide); with no rings, the mesh is no grid.
    bool edgesKnown() const { return rings > 0 && columns >= minColumns; }
    bool gatherable() const { return rings >= 1 && columns >= minColumns && columns <= maxColumns; }

    // Column c + offset, wrapped after the last column (offset 0 or 1).
    std::uint32_t column(std::uint32_t c, std::uint32_t offset) const {
        return c + offset == columns ? 0 : c + offset;
    }
    // Triangle `which` (0 or 1) of the band cell between rings i and i + 1 at column c.
    Triangle bandTriangle(std::uint32_t i, std::uint32_t c, int which) const {
        const GridCorner* k = band[which];
        return {vertex(i + k[0].ring, column(c, k[0].column)),
                vertex(i + k[1].ring, column(c, k[1].column)),
                vertex(i + k[2].ring, column(c, k[2].column))};
    }
    Triangle startFanTriangle(std::uint32_t c) const {
        return {startPole(), vertex(0, column(c, startFan[0])), vertex(0, column(c, startFan[1]))};
    }
    Triangle endFanTriangle(std::uint32_t c) const {
        return {endPole(), vertex(rings - 1, column(c, endFan[0])),
                vertex(rings - 1, column(c, endFan[1]))};
    }
};

// Writes the grid's triangleCount() triangles, in the order described above,
// the rows of a large grid shared among the workers. Requires at least one
// ring and one column.
void writeRingGridTriangles(const RingGrid& grid, Triangle* triangles, const Workers& workers = {});

// Per-vertex normals of a mesh whose triangles are the grid's, bit for bit
// what the per-triangle computation gives: the same face normals, summed per
// vertex in triangle order from (0, 0, 0), then normalised; the rings of a
// large grid shared among the workers, with the same bits. Requires
// grid.gatherable().
void ringGridNormals(const RingGrid& grid, const Vec3* vertices, Vec3* normals,
                     const Workers& workers = {});

} // namespace Vextal
