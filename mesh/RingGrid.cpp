#include "mesh/RingGrid.h"

namespace Vextal {

namespace {

bool same(const Triangle& a, const Triangle& b) {
    return a.i0 == b.i0 && a.i1 == b.i1 && a.i2 == b.i2;
}

// Triangle t of the grid, as the tessellation writes it.
Triangle gridTriangle(const RingGrid& grid, std::uint32_t t) {
    const std::uint32_t columns = grid.columns;
    const std::uint32_t band = 2 * (grid.rings - 1) * columns;
    if (t < band) {
        const std::uint32_t row = t / (2 * columns) * columns;
        const std::uint32_t next = row + columns;
        const std::uint32_t j = t / 2 % columns;
        const std::uint32_t k = (j + 1) % columns;
        if (t % 2 == 0)
            return {row + j, next + j, next + k};
        return {row + j, next + k, row + k};
    }
    const std::uint32_t endPole = grid.rings * columns;
    const std::uint32_t lastRing = endPole - columns;
    const std::uint32_t j = (t - band) / 2 + 1;
    if ((t - band) % 2 == 0)
        return {endPole + 1, j - 1, j % columns};
    return {endPole, lastRing + j % columns, lastRing + j - 1};
}

} // namespace

bool trianglesFollow(const RingGrid& grid, const Triangle* triangles, std::uint32_t vertexCount,
                     std::uint32_t triangleCount) {
    if (!grid.gatherable() || grid.vertexCount() != vertexCount ||
        grid.triangleCount() != triangleCount)
        return false;
    const std::uint32_t band = 2 * (grid.rings - 1) * grid.columns;
    const std::uint32_t samples[] = {0, 1, band / 2, band / 2 + 1, band - 2, band - 1,
                                     band, band + 1, triangleCount - 2, triangleCount - 1};
    for (const std::uint32_t t : samples)
        if (t < triangleCount && !same(triangles[t], gridTriangle(grid, t)))
            return false;
    return true;
}

} // namespace Vextal
