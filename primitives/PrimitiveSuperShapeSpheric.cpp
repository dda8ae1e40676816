#include "primitives/PrimitiveSuperShapeSpheric.h"

#include "mesh/VectorClones.h"

#include <cmath>

namespace Vextal {

PrimitiveSuperShapeSpheric::PrimitiveSuperShapeSpheric()
    : coef1{0.1f, 1.0f, 2.5f, 2.6f, 1.0f, 1.0f}, coef2{3.0f, 0.2f, 1.0f, 3.0f, 1.0f, 1.0f},
      derived1(derive(coef1)), derived2(derive(coef2)) {}

void PrimitiveSuperShapeSpheric::setCoef1(const SuperShapeCoefficients& coefficients) {
    coef1 = coefficients;
    derived1 = derive(coefficients);
}

void PrimitiveSuperShapeSpheric::setCoef2(const SuperShapeCoefficients& coefficients) {
    coef2 = coefficients;
    derived2 = derive(coefficients);
}

double PrimitiveSuperShapeSpheric::radiusPhi(double phi) const {
    return superformulaRadius(coef1, derived1, phi);
}

double PrimitiveSuperShapeSpheric::radiusTheta(double theta) const {
    return superformulaRadius(coef2, derived2, theta);
}

Vec3 PrimitiveSuperShapeSpheric::position(const GridSample& s) const {
    const double t = std::cos(s.theta) * s.rProduct;
    return {static_cast<float>(std::cos(s.phi) * t), static_cast<float>(std::sin(s.phi) * t),
            static_cast<float>(std::sin(s.theta) * s.rTheta)};
}

// position() on the cached angles: t = cos(theta) * (rPhi * rTheta); z
// depends on theta alone.
// A free function: virtual functions cannot be compiled per instruction set.
namespace {
VEXTAL_VECTOR_CLONES
void sphericRing(const GridRing& ring, const GridColumns& columns, Vec3* vertices) {
    const float z = static_cast<float>(ring.sine * ring.radius);
    for (std::uint32_t j = 0; j < columns.count; ++j) {
        const double t = ring.cosine * (columns.radius[j] * ring.radius);
        vertices[j] = {static_cast<float>(columns.cosine[j] * t),
                       static_cast<float>(columns.sine[j] * t), z};
    }
}
} // namespace

void PrimitiveSuperShapeSpheric::writeRing(const GridRing& ring, const GridColumns& columns,
                                           Vec3* vertices) const {
    sphericRing(ring, columns, vertices);
}

} // namespace Vextal
