#pragma once

#include "mesh/Vec3.h"

#include <cstdint>

namespace Vextal {

// Root of the mesh classes: owns the vertex array. Sizing starts in
// PolygonsIndexed; release() and the destructor free what each class holds.
class PolygonsBase {
public:
    PolygonsBase() = default;
    PolygonsBase(const PolygonsBase&) = delete;
    PolygonsBase& operator=(const PolygonsBase&) = delete;
    virtual ~PolygonsBase();

    // Frees every array the dynamic class holds; pointers become null and
    // counts 0. Harmless on an empty mesh and when called twice.
    virtual void release();

    Vec3* vertices = nullptr;
    std::uint32_t vertexCount = 0;

    // Grows whenever the arrays are replaced or the normals recomputed, so
    // what is derived from a mesh for drawing knows when to build it again.
    std::uint64_t revision = 0;

protected:
    void releaseVertices();
};

} // namespace Vextal
