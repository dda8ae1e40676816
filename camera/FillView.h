#pragma once

#include "camera/Quaternion.h"
#include "mesh/Vec3.h"

#include <optional>
#include <span>

namespace Vextal {

// The perspective a camera looks through (what applyCamera sets up).
struct ViewVolume {
    double fieldOfViewYDegrees = 45;
    double aspect = 1; // width / height
    double nearPlane = 1;
};

// The translation of a camera turned by orientation that frames the vertices
// by their bounds: their turned bounding box centred across the view, and the
// eye just far enough back that every vertex lies inside the view, with a
// border of `border` (a fraction of the half-width) on each side and none
// nearer than the near plane. Vertices that are not finite are left out;
// nothing when none is left.
std::optional<Vec3> fillingTranslation(std::span<const Vec3> vertices,
                                       const Quaternion& orientation, const ViewVolume& view,
                                       double border = 0.04);

} // namespace Vextal
