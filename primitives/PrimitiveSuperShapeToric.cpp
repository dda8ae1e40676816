#include "primitives/PrimitiveSuperShapeToric.h"

#include "mesh/VectorClones.h"

#include <cmath>

namespace Vextal {

Vec3 PrimitiveSuperShapeToric::position(const GridSample& s) const {
    const double t = s.rPhi + s.rTheta * std::cos(s.theta);
    return {static_cast<float>(std::cos(s.phi) * t), static_cast<float>(std::sin(s.phi) * t),
            static_cast<float>(std::sin(s.theta) * s.rTheta)};
}

// position() on the cached angles: t = rPhi + rTheta * cos(theta), whose
// product depends on theta alone, as does z.
// A free function: virtual functions cannot be compiled per instruction set.
namespace {
VEXTAL_VECTOR_CLONES
void toricRing(const GridRing& ring, const GridColumns& columns, Vec3* vertices) {
    const double tube = ring.radius * ring.cosine;
    const float z = static_cast<float>(ring.sine * ring.radius);
    for (std::uint32_t j = 0; j < columns.count; ++j) {
        const double t = columns.radius[j] + tube;
        vertices[j] = {static_cast<float>(columns.cosine[j] * t),
                       static_cast<float>(columns.sine[j] * t), z};
    }
}
} // namespace

void PrimitiveSuperShapeToric::writeRing(const GridRing& ring, const GridColumns& columns,
                                         Vec3* vertices) const {
    toricRing(ring, columns, vertices);
}

} // namespace Vextal
