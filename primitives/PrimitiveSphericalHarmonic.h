#pragma once

#include "primitives/PrimitiveParametric.h"

#include <array>

namespace Vextal {

// Spherical-harmonic surface: each radius is a sum of a powered sine and a
// powered cosine term; theta is measured from the positive z axis.
class PrimitiveSphericalHarmonic : public PrimitiveParametric {
public:
    double radiusPhi(double phi) const override;
    double radiusTheta(double theta) const override;
    Vec3 position(const GridSample& sample) const override;

    // m0..m7. The exponents default to 1 and the frequencies to 0, so each
    // radius is 1 and the surface is the sphere of radius 2.
    std::array<float, 8> coefh{0.0f, 1.0f, 0.0f, 1.0f, 0.0f, 1.0f, 0.0f, 1.0f};

protected:
    void writeRing(const GridRing& ring, const GridColumns& columns, Vec3* vertices) const override;
};

} // namespace Vextal
