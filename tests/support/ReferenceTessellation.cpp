#include "support/ReferenceTessellation.h"

#include <cmath>

namespace VextalReference {

using namespace Vextal;

namespace {

constexpr double lengthThreshold = 3e-17;

struct Counts {
    std::uint32_t vertexCount;
    std::uint32_t triangleCount;
};

Counts counts(unsigned sliceCount, unsigned rotateCount, bool closed) {
    if (sliceCount < 2 || rotateCount < 1)
        return {0, 0};
    const unsigned capVertices = closed ? 2 : 0;
    return {(sliceCount - 1) * rotateCount + capVertices,
            (2 * sliceCount - 4 + capVertices) * rotateCount};
}

GridSample sample(double theta, double phi, double rTheta, double rPhi) {
    return {theta, phi, rTheta, rPhi, rPhi * rTheta};
}

void writeRings(const PrimitiveParametric& p, GridSize grid, Vec3* vertices) {
    const unsigned slices = grid.slices;
    const unsigned rotations = grid.rotations;
    const double thetaStep = (double(p.thetaMax) - double(p.thetaMin)) / slices;
    const double phiStep = (double(p.phiMax) - double(p.phiMin)) / rotations;
    double theta = double(p.thetaMin) + thetaStep;
    for (unsigned ring = 0; ring + 1 < slices; ++ring) {
        const double rTheta = p.radiusTheta(theta);
        double phi = p.phiMin;
        for (unsigned column = 0; column < rotations; ++column) {
            vertices[ring * rotations + column] =
                p.position(sample(theta, phi, rTheta, p.radiusPhi(phi)));
            phi += phiStep;
        }
        theta += thetaStep;
    }
}

void writePoles(const PrimitiveParametric& p, GridSize grid, Vec3* vertices) {
    const unsigned endPole = (grid.slices - 1u) * grid.rotations;
    const double rPhi = p.radiusPhi(0.0);
    vertices[endPole] = p.position(sample(p.thetaMax, 0.0, p.radiusTheta(p.thetaMax), rPhi));
    vertices[endPole + 1] = p.position(sample(p.thetaMin, 0.0, p.radiusTheta(p.thetaMin), rPhi));
}

void writeBand(GridSize grid, Triangle* triangles) {
    const unsigned rotations = grid.rotations;
    for (unsigned ring = 0; ring + 2 < grid.slices; ++ring) {
        const unsigned row = ring * rotations;
        const unsigned nextRow = row + rotations;
        for (unsigned column = 0; column < rotations; ++column) {
            const unsigned nextColumn = (column + 1) % rotations;
            *triangles++ = {row + column, nextRow + column, nextRow + nextColumn};
            *triangles++ = {row + column, nextRow + nextColumn, row + nextColumn};
        }
    }
}

void writeCaps(GridSize grid, Triangle* triangles) {
    const unsigned rotations = grid.rotations;
    const unsigned endPole = (grid.slices - 1u) * rotations;
    const unsigned startPole = endPole + 1;
    const unsigned lastRing = endPole - rotations;
    for (unsigned j = 1; j <= rotations; ++j) {
        const unsigned wrapped = j % rotations;
        *triangles++ = {startPole, j - 1, wrapped};
        *triangles++ = {endPole, lastRing + wrapped, lastRing + j - 1};
    }
}

Vec3 normalizedOrKept(Vec3 v) {
    const float squares = v.x * v.x + v.y * v.y + v.z * v.z;
    const float length = std::sqrt(squares);
    if (static_cast<double>(length) > lengthThreshold)
        return {v.x / length, v.y / length, v.z / length};
    return v;
}

Vec3 faceNormal(const Triangle& triangle, const Vec3* vertices) {
    const Vec3 p0 = vertices[triangle.i0];
    const Vec3 p1 = vertices[triangle.i1];
    const Vec3 p2 = vertices[triangle.i2];
    const Vec3 a = p1 - p0;
    const Vec3 b = p0 - p2;
    return normalizedOrKept(cross(a, b));
}

} // namespace

void tessellate(const PrimitiveParametric& p, PolygonsIndexedNormal& mesh) {
    tessellate(p, {p.sliceCount, p.rotateCount}, mesh);
}

void tessellate(const PrimitiveParametric& p, GridSize grid, PolygonsIndexedNormal& mesh) {
    const Counts c = counts(grid.slices, grid.rotations, p.closed);
    mesh.allocate(c.vertexCount, c.triangleCount);
    if (c.vertexCount == 0)
        return;
    writeRings(p, grid, mesh.vertices);
    writeBand(grid, mesh.triangles);
    if (!p.closed)
        return;
    writePoles(p, grid, mesh.vertices);
    writeCaps(grid, mesh.triangles + 2 * (grid.slices - 2) * grid.rotations);
}

void computeNormals(PolygonsIndexedNormal& mesh) {
    for (std::uint32_t k = 0; k < mesh.normalCount; ++k)
        mesh.normals[k] = Vec3{};
    for (std::uint32_t t = 0; t < mesh.triangleCount; ++t) {
        const Triangle& triangle = mesh.triangles[t];
        const Vec3 n = faceNormal(triangle, mesh.vertices);
        mesh.normals[triangle.i0] += n;
        mesh.normals[triangle.i1] += n;
        mesh.normals[triangle.i2] += n;
    }
    for (std::uint32_t k = 0; k < mesh.normalCount; ++k)
        mesh.normals[k] = normalizedOrKept(mesh.normals[k]);
}

} // namespace VextalReference
