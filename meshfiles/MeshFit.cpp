#include "meshfiles/MeshFit.h"

#include "mesh/PolygonsIndexedNormal.h"

#include <algorithm>
#include <cmath>

namespace Vextal {

std::optional<double> fitFactor(const PolygonsIndexedNormal& mesh, double size) {
    double lo[3] = {HUGE_VAL, HUGE_VAL, HUGE_VAL};
    double hi[3] = {-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
    for (std::uint32_t k = 0; k < mesh.vertexCount; ++k) {
        const Vec3 v = mesh.vertices[k];
        if (!std::isfinite(v.x) || !std::isfinite(v.y) || !std::isfinite(v.z))
            continue;
        const double c[3] = {v.x, v.y, v.z};
        for (int axis = 0; axis < 3; ++axis) {
            lo[axis] = std::min(lo[axis], c[axis]);
            hi[axis] = std::max(hi[axis], c[axis]);
        }
    }
    double extent = 0;
    for (int axis = 0; axis < 3; ++axis)
        extent = std::max(extent, hi[axis] - lo[axis]);
    // NaN-safe: no finite vertex leaves extent 0 (max of 0 and -inf).
    if (!(extent > 0))
        return std::nullopt;
    return size / extent;
}

} // namespace Vextal
