#include "mesh/PolygonsBase.h"

#include "mesh/ArrayMemory.h"

namespace Vextal {

PolygonsBase::~PolygonsBase() {
    releaseVertices();
}

void PolygonsBase::release() {
    releaseVertices();
}

void PolygonsBase::releaseVertices() {
    freeVec3Array(vertices);
    vertices = nullptr;
    vertexCount = 0;
    ++revision;
}

} // namespace Vextal
