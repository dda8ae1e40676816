#include "primitives/PrimitiveSuperShapeToric.h"

#include "mesh/VectorClones.h"
#include "primitives/SurfaceFormulas.h"

#include <cmath>

namespace Vextal {

namespace {

inline Vec3 toricPoint(double sinTheta, double cosTheta, double rTheta, double sinPhi,
                       double cosPhi, double rPhi) {
    return toVec3(toricPointOf(sinTheta, cosTheta, rTheta, sinPhi, cosPhi, rPhi));
}

// A free function: virtual functions cannot be compiled per instruction set.
VEXTAL_VECTOR_CLONES
void toricRing(const GridRing& ring, const GridColumns& columns, Vec3* vertices) {
    for (std::uint32_t j = 0; j < columns.count; ++j)
        vertices[j] = toricPoint(ring.sine, ring.cosine, ring.radius, columns.sine[j],
                                 columns.cosine[j], columns.radius[j]);
}

} // namespace

Vec3 PrimitiveSuperShapeToric::position(const GridSample& s) const {
    return toricPoint(std::sin(s.theta), std::cos(s.theta), s.rTheta, std::sin(s.phi),
                      std::cos(s.phi), s.rPhi);
}

void PrimitiveSuperShapeToric::writeRing(const GridRing& ring, const GridColumns& columns,
                                         Vec3* vertices) const {
    toricRing(ring, columns, vertices);
}

} // namespace Vextal
