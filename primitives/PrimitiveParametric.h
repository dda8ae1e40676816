#pragma once

#include "mesh/RingGrid.h"
#include "mesh/Vec3.h"
#include "mesh/Workers.h"
#include "primitives/GridAngles.h"
#include "primitives/GridSample.h"
#include "primitives/IPrimitive.h"

#include <cstdint>
#include <numbers>

namespace Vextal {

// The counts of a tessellation: intervals from pole to pole and vertices
// around each ring. The scene file's counts are 8-bit; the tools may ask for
// up to maxGridCount of each.
struct GridSize {
    std::uint32_t slices;
    std::uint32_t rotations;
};
inline constexpr std::uint32_t maxGridCount = 4096;

// Grid of two angles: theta runs from pole to pole in sliceCount intervals
// (sliceCount - 1 rings), phi runs around the axis in rotateCount steps.
// Concrete surfaces supply the radius along each angle and the point.
class PrimitiveParametric : public IPrimitive {
public:
    // Replaces the whole mesh: rings, band triangles and, when closed, two
    // poles with their cap fans. Fewer than 2 slices or 1 rotation leave it
    // empty. Normals are left zero for the caller's computeNormals().
    void tessellate(PolygonsIndexedNormal& mesh) override;

    // The same over a grid of grid.slices x grid.rotations instead of
    // sliceCount x rotateCount (rotations at most RingGrid::maxColumns): the
    // same formulas in the same order of operations, so counts that the
    // fields can hold give the very bits tessellate() gives. The rings of a
    // large grid are shared among the workers, with the same bits.
    virtual void tessellateGrid(PolygonsIndexedNormal& mesh, GridSize grid,
                                const Workers& workers) const;

    virtual double radiusPhi(double phi) const = 0;
    virtual double radiusTheta(double theta) const = 0;
    virtual Vec3 position(const GridSample& sample) const = 0;

    float phiMin = -std::numbers::pi_v<float>;
    float phiMax = std::numbers::pi_v<float>;
    float thetaMin = -std::numbers::pi_v<float> / 2;
    float thetaMax = std::numbers::pi_v<float> / 2;
    std::uint8_t sliceCount = 10;
    std::uint8_t rotateCount = 10;
    bool closed = true;

protected:
    ~PrimitiveParametric() = default;

    // Writes the vertices of one ring, columns.count of them, from the angle
    // values tessellate() worked out once. Each vertex must have exactly the
    // bits position() gives for that sample. This version calls position()
    // per vertex; a surface overrides it with a loop over the cached sines
    // and cosines that evaluates the same formula as its position().
    virtual void writeRing(const GridRing& ring, const GridColumns& columns, Vec3* vertices) const;

private:
    GridSample sample(double theta, double phi, double rTheta, double rPhi) const;
    void writeRings(const RingGrid& grid, GridSize size, Vec3* vertices,
                    const Workers& workers) const;
    void writePoles(const RingGrid& grid, Vec3* vertices) const;
};

// Vertex and triangle totals of a grid; both 0 when the grid is too small to
// tessellate (fewer than 2 slices or no rotation).
struct GridCounts {
    std::uint32_t vertexCount;
    std::uint32_t triangleCount;
};
GridCounts gridCounts(unsigned sliceCount, unsigned rotateCount, bool closed);

} // namespace Vextal
