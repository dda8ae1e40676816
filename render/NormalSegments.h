#pragma once

#include "mesh/Vec3.h"

#include <cstdint>
#include <vector>

namespace Vextal {

class PolygonsIndexedNormal;

// The normal segments of a mesh as one array of line end points, ready for a
// single glDrawArrays: from each vertex that some triangle uses to the vertex
// plus its normal / 5. Built again only when the mesh's revision changes, so
// a mesh is turned into segments once per load, not once per frame. Drawing
// each segment once shows the same picture as drawing it once per triangle
// corner: the copies coincide.
class NormalSegments {
public:
    const std::vector<Vec3>& pointsFor(const PolygonsIndexedNormal& mesh);

private:
    void build(const PolygonsIndexedNormal& mesh);

    const PolygonsIndexedNormal* source = nullptr;
    std::uint64_t sourceRevision = 0;
    std::vector<Vec3> points;
    std::vector<std::uint8_t> used;
};

} // namespace Vextal
