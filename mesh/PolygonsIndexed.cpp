#include "mesh/PolygonsIndexed.h"

#include "mesh/ArrayMemory.h"

namespace Vextal {

PolygonsIndexed::~PolygonsIndexed() {
    releaseTriangles();
}

void PolygonsIndexed::release() {
    releaseTriangles();
    PolygonsBase::release();
}

void PolygonsIndexed::releaseTriangles() {
    freeTriangleArray(triangles);
    triangles = nullptr;
    triangleCount = 0;
}

void PolygonsIndexed::allocate(std::uint32_t newVertexCount, std::uint32_t newTriangleCount) {
    keepArrayMemory();
    release();
    triangleCount = newTriangleCount;
    vertexCount = newVertexCount;
    if (newVertexCount > 0)
        vertices = newZeroVec3Array(newVertexCount);
    if (newTriangleCount > 0)
        triangles = newTriangleArray(newTriangleCount);
}

} // namespace Vextal
