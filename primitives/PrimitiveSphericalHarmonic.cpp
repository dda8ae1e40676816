#include "primitives/PrimitiveSphericalHarmonic.h"

#include "mesh/VectorClones.h"

#include <cmath>

namespace Vextal {

namespace {

// No absolute values: a negative base with a fractional exponent gives NaN,
// which the surface carries.
double harmonicTerms(float m0, float m1, float m2, float m3, double w) {
    return std::pow(std::sin(double(m0) * w), double(m1)) +
           std::pow(std::cos(double(m2) * w), double(m3));
}

} // namespace

double PrimitiveSphericalHarmonic::radiusPhi(double phi) const {
    return harmonicTerms(coefh[0], coefh[1], coefh[2], coefh[3], phi);
}

double PrimitiveSphericalHarmonic::radiusTheta(double theta) const {
    return harmonicTerms(coefh[4], coefh[5], coefh[6], coefh[7], theta);
}

Vec3 PrimitiveSphericalHarmonic::position(const GridSample& s) const {
    const float r = static_cast<float>(s.rPhi + s.rTheta);
    const double t = std::sin(s.theta) * r;
    return {static_cast<float>(std::sin(s.phi) * t), static_cast<float>(std::cos(s.phi) * t),
            static_cast<float>(std::cos(s.theta) * r)};
}

// position() on the cached angles: r = float(rPhi + rTheta), then
// t = sin(theta) * r; every product still takes r back to double.
// A free function: virtual functions cannot be compiled per instruction set.
namespace {
VEXTAL_VECTOR_CLONES
void harmonicRing(const GridRing& ring, const GridColumns& columns, Vec3* vertices) {
    for (std::uint32_t j = 0; j < columns.count; ++j) {
        const float r = static_cast<float>(columns.radius[j] + ring.radius);
        const double t = ring.sine * r;
        vertices[j] = {static_cast<float>(columns.sine[j] * t),
                       static_cast<float>(columns.cosine[j] * t),
                       static_cast<float>(ring.cosine * r)};
    }
}
} // namespace

void PrimitiveSphericalHarmonic::writeRing(const GridRing& ring, const GridColumns& columns,
                                           Vec3* vertices) const {
    harmonicRing(ring, columns, vertices);
}

} // namespace Vextal
