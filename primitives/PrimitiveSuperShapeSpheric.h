#pragma once

#include "primitives/PrimitiveParametric.h"
#include "primitives/SuperShapeCoefficients.h"

namespace Vextal {

// Superformula surface in spherical form: the product of the phi curve (in the
// x-y plane) and the theta curve (towards z).
class PrimitiveSuperShapeSpheric : public PrimitiveParametric {
public:
    PrimitiveSuperShapeSpheric();

    double radiusPhi(double phi) const override;
    double radiusTheta(double theta) const override;
    Vec3 position(const GridSample& sample) const override;

    // Sets a coefficient record together with its derived record.
    void setCoef1(const SuperShapeCoefficients& coefficients);
    void setCoef2(const SuperShapeCoefficients& coefficients);

    SuperShapeCoefficients coef1;
    SuperShapeCoefficients coef2;
    SuperShapeDerived derived1;
    SuperShapeDerived derived2;

protected:
    void writeRing(const GridRing& ring, const GridColumns& columns, Vec3* vertices) const override;
};

} // namespace Vextal
