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

namespace {

// The surface point from the sines, cosines and radii of its two angles:
// r = float(rPhi + rTheta), t = sin(theta) * r; every product takes r back
// to double.
inline Vec3 harmonicPoint(double sinTheta, double cosTheta, double rTheta, double sinPhi,
                          double cosPhi, double rPhi) {
    const float r = static_cast<float>(rPhi + rTheta);
    const double t = sinTheta * r;
    return {static_cast<float>(sinPhi * t), static_cast<float>(cosPhi * t),
            static_cast<float>(cosTheta * r)};
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
