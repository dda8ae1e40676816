#include "primitives/PrimitiveParametric.h"

#include "mesh/PolygonsIndexedNormal.h"
#include "mesh/VectorClones.h"

#include <cmath>
#include <cstring>

namespace Vextal {

GridCounts gridCounts(unsigned sliceCount, unsigned rotateCount, bool closed) {
    if (sliceCount < 2 || rotateCount < 1)
        return {0, 0};
    const unsigned capVertices = closed ? 2 : 0;
    return {(sliceCount - 1) * rotateCount + capVertices,
            (2 * sliceCount - 4 + capVertices) * rotateCount};
}

void PrimitiveParametric::tessellate(PolygonsIndexedNormal& mesh) {
    const GridCounts counts = gridCounts(sliceCount, rotateCount, closed);
    mesh.allocate(counts.vertexCount, counts.triangleCount);
    if (counts.vertexCount == 0)
        return;
    writeRings(mesh.vertices);
    writeBand(mesh.triangles);
    if (!closed) {
        mesh.ringGrid = RingGrid{sliceCount - 1u, rotateCount, false};
        return;
    }
    writePoles(mesh.vertices);
    writeCaps(mesh.triangles + 2 * (sliceCount - 2) * rotateCount);
    mesh.ringGrid = RingGrid{sliceCount - 1u, rotateCount, true};
}

GridSample PrimitiveParametric::sample(double theta, double phi, double rTheta,
                                       double rPhi) const {
    return {theta, phi, rTheta, rPhi, rPhi * rTheta};
}

// Both angles advance by repeated addition, and phi restarts at phiMin on
// every ring, so column j has the same phi on every ring: everything that
// depends on phi alone is worked out once per column, everything that
// depends on theta alone once per ring. The surface functions are pure, so
// the values are those a per-vertex evaluation would get.
void PrimitiveParametric::writeRings(Vec3* vertices) const {
    const unsigned slices = sliceCount;
    const unsigned rotations = rotateCount;
    const double thetaStep = (double(thetaMax) - double(thetaMin)) / slices;
    const double phiStep = (double(phiMax) - double(phiMin)) / rotations;

    double phis[255], radii[255], sines[255], cosines[255];
    double phi = phiMin;
    for (unsigned column = 0; column < rotations; ++column) {
        phis[column] = phi;
        radii[column] = radiusPhi(phi);
        sines[column] = std::sin(phi);
        cosines[column] = std::cos(phi);
        phi += phiStep;
    }
    const GridColumns columns{rotations, phis, radii, sines, cosines};

    double theta = double(thetaMin) + thetaStep;
    for (unsigned ring = 0; ring + 1 < slices; ++ring) {
        const GridRing angles{theta, radiusTheta(theta), std::sin(theta), std::cos(theta)};
        writeRing(angles, columns, vertices + ring * rotations);
        theta += thetaStep;
    }
}

void PrimitiveParametric::writeRing(const GridRing& ring, const GridColumns& columns,
                                    Vec3* vertices) const {
    for (unsigned column = 0; column < columns.count; ++column)
        vertices[column] = position(
            sample(ring.theta, columns.phi[column], ring.radius, columns.radius[column]));
}

// Both poles sit at phi = 0 whatever the phi range; the start pole reuses the
// end pole's radiusPhi(0).
void PrimitiveParametric::writePoles(Vec3* vertices) const {
    const unsigned endPole = (sliceCount - 1u) * rotateCount;
    const double rPhi = radiusPhi(0.0);
    vertices[endPole] = position(sample(thetaMax, 0.0, radiusTheta(thetaMax), rPhi));
    vertices[endPole + 1] = position(sample(thetaMin, 0.0, radiusTheta(thetaMin), rPhi));
}

namespace {

// Eight indices: the two triangles of four columns make three of these.
using IndexBlock = std::uint32_t __attribute__((vector_size(32)));

// The band row between ring `row` and ring `next` (first vertex indices),
// columns 0 to count - 1 joined to their right neighbour j + 1: column j's
// triangles are (row+j, next+j, next+j+1) and (row+j, next+j+1, row+j+1).
// Four columns at a time as three blocks of eight indices, each block the
// previous one plus 4: the same values, in wide stores.
VEXTAL_VECTOR_CLONES
Triangle* writeBandColumns(Triangle* triangles, std::uint32_t row, std::uint32_t next,
                           std::uint32_t count) {
    const std::uint32_t r = row, n = next;
    IndexBlock a = {r, n, n + 1, r, n + 1, r + 1, r + 1, n + 1};
    IndexBlock b = {n + 2, r + 1, n + 2, r + 2, r + 2, n + 2, n + 3, r + 2};
    IndexBlock c = {n + 3, r + 3, r + 3, n + 3, n + 4, r + 3, n + 4, r + 4};
    std::uint32_t j = 0;
    for (; j + 4 <= count; j += 4) {
        char* out = reinterpret_cast<char*>(triangles);
        std::memcpy(out, &a, sizeof a);
        std::memcpy(out + sizeof a, &b, sizeof b);
        std::memcpy(out + 2 * sizeof a, &c, sizeof c);
        triangles += 8;
        a += 4;
        b += 4;
        c += 4;
    }
    for (; j < count; ++j) {
        *triangles++ = {row + j, next + j, next + j + 1};
        *triangles++ = {row + j, next + j + 1, row + j + 1};
    }
    return triangles;
}

} // namespace

void PrimitiveParametric::writeBand(Triangle* triangles) const {
    const unsigned rotations = rotateCount;
    const unsigned last = rotations - 1;
    for (unsigned ring = 0; ring + 2 < sliceCount; ++ring) {
        const unsigned row = ring * rotations;
        const unsigned nextRow = row + rotations;
        triangles = writeBandColumns(triangles, row, nextRow, last);
        // The last column joins column 0.
        *triangles++ = {row + last, nextRow + last, nextRow};
        *triangles++ = {row + last, nextRow, row};
    }
}

void PrimitiveParametric::writeCaps(Triangle* triangles) const {
    const unsigned rotations = rotateCount;
    const unsigned endPole = (sliceCount - 1u) * rotations;
    const unsigned startPole = endPole + 1;
    const unsigned lastRing = endPole - rotations;
    for (unsigned j = 1; j <= rotations; ++j) {
        const unsigned wrapped = j % rotations;
        *triangles++ = {startPole, j - 1, wrapped};
        *triangles++ = {endPole, lastRing + wrapped, lastRing + j - 1};
    }
}

} // namespace Vextal
