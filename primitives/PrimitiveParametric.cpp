#include "primitives/PrimitiveParametric.h"

#include "mesh/PolygonsIndexedNormal.h"

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
    if (!closed)
        return;
    writePoles(mesh.vertices);
    writeCaps(mesh.triangles + 2 * (sliceCount - 2) * rotateCount);
}

GridSample PrimitiveParametric::sample(double theta, double phi, double rTheta,
                                       double rPhi) const {
    return {theta, phi, rTheta, rPhi, rPhi * rTheta};
}

// Both angles advance by repeated addition, and phi restarts at phiMin on
// every ring, so column j has the same phi on every ring.
void PrimitiveParametric::writeRings(Vec3* vertices) const {
    const unsigned slices = sliceCount;
    const unsigned rotations = rotateCount;
    const double thetaStep = (double(thetaMax) - double(thetaMin)) / slices;
    const double phiStep = (double(phiMax) - double(phiMin)) / rotations;
    double theta = double(thetaMin) + thetaStep;
    for (unsigned ring = 0; ring + 1 < slices; ++ring) {
        const double rTheta = radiusTheta(theta);
        double phi = phiMin;
        for (unsigned column = 0; column < rotations; ++column) {
            vertices[ring * rotations + column] =
                position(sample(theta, phi, rTheta, radiusPhi(phi)));
            phi += phiStep;
        }
        theta += thetaStep;
    }
}

// Both poles sit at phi = 0 whatever the phi range; the start pole reuses the
// end pole's radiusPhi(0).
void PrimitiveParametric::writePoles(Vec3* vertices) const {
    const unsigned endPole = (sliceCount - 1u) * rotateCount;
    const double rPhi = radiusPhi(0.0);
    vertices[endPole] = position(sample(thetaMax, 0.0, radiusTheta(thetaMax), rPhi));
    vertices[endPole + 1] = position(sample(thetaMin, 0.0, radiusTheta(thetaMin), rPhi));
}

void PrimitiveParametric::writeBand(Triangle* triangles) const {
    const unsigned rotations = rotateCount;
    for (unsigned ring = 0; ring + 2 < sliceCount; ++ring) {
        const unsigned row = ring * rotations;
        const unsigned nextRow = row + rotations;
        for (unsigned column = 0; column < rotations; ++column) {
            const unsigned nextColumn = (column + 1) % rotations;
            *triangles++ = {row + column, nextRow + column, nextRow + nextColumn};
            *triangles++ = {row + column, nextRow + nextColumn, row + nextColumn};
        }
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
