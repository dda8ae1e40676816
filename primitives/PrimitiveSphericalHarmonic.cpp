#include "primitives/PrimitiveSphericalHarmonic.h"

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

} // namespace Vextal
