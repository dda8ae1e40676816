#pragma once

#include "mesh/PolygonsIndexed.h"
#include "mesh/RingGrid.h"

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
    // triangle uses keeps (0, 0, 0). When ringGrid describes the triangles,
    // the same sums are gathered per vertex, much faster, with the same bits.
    virtual void computeNormals();

    std::uint32_t normalCount = 0;
    Vec3* normals = nullptr;

    // Set by whoever writes triangles in the order of the parametric
    // tessellation, after writing them; release() and allocate() clear it.
    // A description that does not match the counts or a sample of the
    // triangles is ignored.
    RingGrid ringGrid;

protected:
    void releaseNormals();
};

} // namespace Vextal
