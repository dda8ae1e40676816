#pragma once

#include "mesh/PolygonsIndexed.h"

namespace Vextal {

// The mesh the viewer draws: adds one normal per vertex, computed from the
// triangles by computeNormals().
class PolygonsIndexedNormal : public PolygonsIndexed {
public:
    ~PolygonsIndexedNormal() override;

    void release() override;

    // As PolygonsIndexed::allocate, plus vertexCount zeroed normals.
    void allocate(std::uint32_t vertexCount, std::uint32_t triangleCount) override;

    // Every vertex normal becomes the normalised sum of the unit face normals
    // of the triangles that use it, added in triangle order. A vertex that no
    // triangle uses keeps (0, 0, 0).
    virtual void computeNormals();

    std::uint32_t normalCount = 0;
    Vec3* normals = nullptr;

protected:
    void releaseNormals();
};

// The one mesh of the viewer, refilled by every scene load that reaches "render".
extern PolygonsIndexedNormal sceneMesh;

} // namespace Vextal
