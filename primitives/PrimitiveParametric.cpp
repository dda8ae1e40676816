#include "primitives/PrimitiveParametric.h"

#include "mesh/PolygonsIndexedNormal.h"
#include "primitives/ScratchArray.h"

#include <algorithm>
#include <cassert>
#include <cmath>

namespace Vextal {

namespace {

// The grid of sliceCount - 1 rings; none when there are too few slices or no rotation.
RingGrid ringGridOf(unsigned sliceCount, unsigned rotateCount, bool closed) {
    if (sliceCount < 2 || rotateCount < 1)
        return {};
    return {sliceCount - 1u, rotateCount, closed};
}

} // namespace

GridCounts gridCounts(unsigned sliceCount, unsigned rotateCount, bool closed) {
    const RingGrid grid = ringGridOf(sliceCount, rotateCount, closed);
    return {grid.vertexCount(), grid.triangleCount()};
}

void PrimitiveParametric::tessellate(PolygonsIndexedNormal& mesh) {
    tessellateGrid(mesh, {sliceCount, rotateCount}, Workers{});
}

void PrimitiveParametric::tessellateGrid(PolygonsIndexedNormal& mesh, GridSize size,
                                         const Workers& workers) const {
    const RingGrid grid = ringGridOf(size.slices, size.rotations, closed);
    mesh.allocate(grid.vertexCount(), grid.triangleCount());
    if (grid.rings == 0)
        return;
    writeRings(grid, size, mesh.vertices, workers);
    if (closed)
        writePoles(grid, mesh.vertices);
    mesh.writeRingGrid(grid, workers);
}

GridSample PrimitiveParametric::sample(double theta, double phi, double rTheta, double rPhi) const {
    return {theta, phi, rTheta, rPhi, rPhi * rTheta};
}

// Both angles advance by repeated addition, and phi restarts at phiMin on
// every ring, so column j has the same phi on every ring: everything that
// depends on phi alone is worked out once per column, everything that
// depends on theta alone once per ring, both in order, before any vertex.
// The surface functions are pure, so the values are those a per-vertex
// evaluation would get, and the rings can then be written in any order.
void PrimitiveParametric::writeRings(const RingGrid& grid, GridSize size, Vec3* vertices,
                                     const Workers& workers) const {
    const unsigned rotations = size.rotations;
    assert(rotations <= RingGrid::maxColumns);
    const double thetaStep = (double(thetaMax) - double(thetaMin)) / size.slices;
    const double phiStep = (double(phiMax) - double(phiMin)) / rotations;

    // The viewer's grids, up to 255 by 255, keep these on the stack.
    constexpr unsigned room = 255;
    ScratchArray<double, room> phis(rotations), radii(rotations), sines(rotations),
        cosines(rotations);
    double phi = phiMin;
    for (unsigned column = 0; column < rotations; ++column) {
        phis[column] = phi;
        radii[column] = radiusPhi(phi);
        sines[column] = std::sin(phi);
        cosines[column] = std::cos(phi);
        phi += phiStep;
    }
    const GridColumns columns{rotations, phis.data(), radii.data(), sines.data(), cosines.data()};

    ScratchArray<GridRing, room> rings(grid.rings);
    double theta = double(thetaMin) + thetaStep;
    for (unsigned ring = 0; ring < grid.rings; ++ring) {
        rings[ring] = {theta, radiusTheta(theta), std::sin(theta), std::cos(theta)};
        theta += thetaStep;
    }

    // Blocks of at least some 64 thousand vertices.
    const std::uint32_t minBlock = std::max<std::uint32_t>(1, (1u << 16) / rotations);
    forEachBlock(workers, grid.rings, minBlock, [&](std::uint32_t first, std::uint32_t end) {
        for (std::uint32_t ring = first; ring < end; ++ring)
            writeRing(rings[ring], columns, vertices + grid.vertex(ring, 0));
    });
}

void PrimitiveParametric::writeRing(const GridRing& ring, const GridColumns& columns,
                                    Vec3* vertices) const {
    for (unsigned column = 0; column < columns.count; ++column)
        vertices[column] =
            position(sample(ring.theta, columns.phi[column], ring.radius, columns.radius[column]));
}

// Both poles sit at phi = 0 whatever the phi range; the start pole reuses the
// end pole's radiusPhi(0).
void PrimitiveParametric::writePoles(const RingGrid& grid, Vec3* vertices) const {
    const double rPhi = radiusPhi(0.0);
    vertices[grid.endPole()] = position(sample(thetaMax, 0.0, radiusTheta(thetaMax), rPhi));
    vertices[grid.startPole()] = position(sample(thetaMin, 0.0, radiusTheta(thetaMin), rPhi));
}

} // namespace Vextal
