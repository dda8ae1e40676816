#pragma once

#include "mesh/PolygonsBase.h"

namespace Vextal {

// Adds the triangle index array and the sizing operation.
class PolygonsIndexed : public PolygonsBase {
public:
    ~PolygonsIndexed() override;

    void release() override;

    // Discards every array (through the virtual release(), so derived arrays go
    // too), then provides vertexCount zeroed vertices and triangleCount
    // triangles whose contents are undefined until the caller writes them.
    // A count of 0 leaves that array null.
    virtual void allocate(std::uint32_t vertexCount, std::uint32_t triangleCount);

    Triangle* triangles = nullptr;
    std::uint32_t triangleCount = 0;

protected:
    void releaseTriangles();
};

} // namespace Vextal
