#include "mesh/PolygonsBase.h"

namespace Vextal {

PolygonsBase::~PolygonsBase() { releaseVertices(); }

void PolygonsBase::release() { releaseVertices(); }

void PolygonsBase::releaseVertices() {
    delete[] vertices;
    vertices = nullptr;
    vertexCount = 0;
}

} // namespace Vextal
