#include "primitives/PrimitiveSuperShapeToric.h"

#include <cmath>

namespace Vextal {

Vec3 PrimitiveSuperShapeToric::position(const GridSample& s) const {
    const double t = s.rPhi + s.rTheta * std::cos(s.theta);
    return {static_cast<float>(std::cos(s.phi) * t), static_cast<float>(std::sin(s.phi) * t),
            static_cast<float>(std::sin(s.theta) * s.rTheta)};
}

} // namespace Vextal
