#include "mesh/PolygonsIndexedNormal.h"

#include "mesh/ArrayMemory.h"
#include "mesh/FaceNormal.h"
#include "mesh/SheetNormals.h"

#include <cassert>

namespace Vextal {

PolygonsIndexedNormal::~PolygonsIndexedNormal() {
    releaseNormals();
}

void PolygonsIndexedNormal::release() {
    releaseNormals();
    PolygonsIndexed::release();
}

void PolygonsIndexedNormal::releaseNormals() {
    freeVec3Array(normals);
    normals = nullptr;
    normalCount = 0;
    grid = RingGrid{};
    sheet = 0;
}

void PolygonsIndexedNormal::allocate(std::uint32_t newVertexCount, std::uint32_t newTriangleCount) {
    release();
    PolygonsIndexed::allocate(newVertexCount, newTriangleCount);
    normalCount = newVertexCount;
    if (newVertexCount > 0)
        normals = newZeroVec3Array(newVertexCount);
}

void PolygonsIndexedNormal::dropNormals() {
    releaseNormals();
}

void PolygonsIndexedNormal::shrinkTo(std::uint32_t newVertexCount, std::uint32_t newTriangleCount) {
    assert(newVertexCount <= vertexCount && newTriangleCount <= triangleCount);
    releaseNormals();
    ++revision;
    vertexCount = newVertexCount;
    triangleCount = newTriangleCount;
    normalCount = newVertexCount;
    if (newVertexCount > 0)
        normals = newZeroVec3Array(newVertexCount);
}

void PolygonsIndexedNormal::writeRingGrid(const RingGrid& written, const Workers& workers) {
    assert(written.vertexCount() == vertexCount && written.triangleCount() == triangleCount);
    writeRingGridTriangles(written, triangles, workers);
    grid = written;
}

void PolygonsIndexedNormal::computeNormals() {
    computeNormals(Workers{});
}

void PolygonsIndexedNormal::computeNormals(const Workers& workers) {
    ++revision;
    if (grid.gatherable()) {
        ringGridNormals(grid, vertices, normals, workers);
        return;
    }
    if (sheet >= 2 && vertexCount % sheet == 0 && vertexCount / sheet >= 2 &&
        triangleCount == 2 * (vertexCount / sheet - 1) * (sheet - 1)) {
        sheetNormals(vertexCount / sheet, sheet, vertices, triangles, normals, workers);
        return;
    }
    for (std::uint32_t k = 0; k < normalCount; ++k)
        normals[k] = Vec3{};
    for (std::uint32_t t = 0; t < triangleCount; ++t) {
        const Triangle& triangle = triangles[t];
        const Vec3 n = faceNormal(triangle, vertices);
        normals[triangle.i0] += n;
        normals[triangle.i1] += n;
        normals[triangle.i2] += n;
    }
    for (std::uint32_t k = 0; k < normalCount; ++k)
        normals[k] = normalizedOrKept(normals[k]);
}

} // namespace Vextal
