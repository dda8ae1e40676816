#include "primitives/PrimitiveSphericalHarmonic.h"

#include "mesh/VectorClones.h"
#include "primitives/SurfaceFormulas.h"

#include <cmath>

namespace Vextal {

namespace {

double harmonicTerms(float m0, float m1, float m2, float m3, double w) {
    return harmonicRadiusOf(m0, m1, m2, m3, w);
}

} // namespace

double PrimitiveSphericalHarmonic::radiusPhi(double phi) const {
    return harmonicTerms(coefh[0], coefh[1], coefh[2], coefh[3], phi);
}

double PrimitiveSphericalHarmonic::radiusTheta(double theta) const {
    return harmonicTerms(coefh[4], coefh[5], coefh[6], coefh[7], theta);
}

namespace {

inline Vec3 harmonicPoint(double sinTheta, double cosTheta, double rTheta, double sinPhi,
                          double cosPhi, double rPhi) {
    return toVec3(harmonicPointOf(sinTheta, cosTheta, rTheta, sinPhi, cosPhi, rPhi));
}

// A free function: virtual functions cannot be compiled per instruction set.
VEXTAL_VECTOR_CLONES
void harmonicRing(const GridRing& ring, const GridColumns& columns, Vec3* vertices) {
    for (std::uint32_t j = 0; j < columns.count; ++j)
        vertices[j] = harmonicPoint(ring.sine, ring.cosine, ring.radius, columns.sine[j],
                                    columns.cosine[j], columns.radius[j]);
}

} // namespace

Vec3 PrimitiveSphericalHarmonic::position(const GridSample& s) const {
    return harmonicPoint(std::sin(s.theta), std::cos(s.theta), s.rTheta, std::sin(s.phi),
                         std::cos(s.phi), s.rPhi);
}

void PrimitiveSphericalHarmonic::writeRing(const GridRing& ring, const GridColumns& columns,
                                           Vec3* vertices) const {
    harmonicRing(ring, columns, vertices);
}

} // namespace Vextal
