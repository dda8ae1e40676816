#include "primitives/PrimitiveSuperShapeSpheric.h"

#include "mesh/VectorClones.h"
#include "primitives/SurfaceFormulas.h"

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

namespace {

inline Vec3 sphericPoint(double sinTheta, double cosTheta, double rTheta, double sinPhi,
                         double cosPhi, double rPhi) {
    return toVec3(sphericPointOf(sinTheta, cosTheta, rTheta, sinPhi, cosPhi, rPhi));
}

// A free function: virtual functions cannot be compiled per instruction set.
VEXTAL_VECTOR_CLONES
void sphericRing(const GridRing& ring, const GridColumns& columns, Vec3* vertices) {
    for (std::uint32_t j = 0; j < columns.count; ++j)
        vertices[j] = sphericPoint(ring.sine, ring.cosine, ring.radius, columns.sine[j],
                                   columns.cosine[j], columns.radius[j]);
}

} // namespace

Vec3 PrimitiveSuperShapeSpheric::position(const GridSample& s) const {
    return sphericPoint(std::sin(s.theta), std::cos(s.theta), s.rTheta, std::sin(s.phi),
                        std::cos(s.phi), s.rPhi);
}

void PrimitiveSuperShapeSpheric::writeRing(const GridRing& ring, const GridColumns& columns,
                                           Vec3* vertices) const {
    sphericRing(ring, columns, vertices);
}

} // namespace Vextal
