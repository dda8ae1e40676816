#include "primitives/PrimitiveSphericalHarmonic.h"
#include "primitives/PrimitiveSuperShapeToric.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using namespace Vextal;

namespace {

GridSample sampleOf(const PrimitiveParametric& primitive, double theta, double phi) {
    const double rTheta = primitive.radiusTheta(theta);
    const double rPhi = primitive.radiusPhi(phi);
    return {theta, phi, rTheta, rPhi, rPhi * rTheta};
}

} // namespace

TEST(Superformula, defaultRadiiAtKnownAngles) {
    PrimitiveSuperShapeSpheric spheric;
    EXPECT_EQ(spheric.radiusPhi(0.0), 1.0);
    EXPECT_EQ(spheric.radiusTheta(0.0), 1.0);
    EXPECT_NEAR(spheric.radiusPhi(1.0), 0.4589, 1e-4);
    EXPECT_NEAR(spheric.radiusTheta(1.0), 0.8513, 1e-4);
    EXPECT_NEAR(spheric.radiusPhi(std::numbers::pi / 2), 0.1701, 1e-4);
}

TEST(Superformula, defaultDerivedValuesMatchTheirCoefficients) {
    PrimitiveSuperShapeSpheric spheric;
    EXPECT_EQ(spheric.derived1.negInvN1, -10.0f);
    EXPECT_EQ(spheric.derived2.negInvN1, static_cast<float>(-1.0 / 3.0));
    EXPECT_EQ(spheric.derived1.invA, 1.0f);
    const SuperShapeDerived d = derive({1, 1, 1, 4, 2, 0.5f});
    EXPECT_EQ(d.invA, 0.5f);
    EXPECT_EQ(d.invB, 2.0f);
    EXPECT_EQ(d.negInvN1, -1.0f);
}

TEST(Superformula, zeroCoefficientsGiveInfinitiesNotErrors) {
    const SuperShapeDerived d = derive({0, 1, 1, 4, 0, 1});
    EXPECT_TRUE(std::isinf(d.invA));
    EXPECT_EQ(d.negInvN1, -std::numeric_limits<float>::infinity());
    PrimitiveSuperShapeSpheric spheric;
    spheric.setCoef1({1, 1, 1, 4, 0, 1});
    EXPECT_TRUE(std::isinf(spheric.radiusPhi(0.0)) || spheric.radiusPhi(0.0) == 0.0);
}

TEST(Superformula, sphericPointAtZeroAnglesIsOnTheXAxis) {
    PrimitiveSuperShapeSpheric spheric;
    const Vec3 p = spheric.position(sampleOf(spheric, 0.0, 0.0));
    EXPECT_EQ(p.x, 1.0f);
    EXPECT_EQ(p.y, 0.0f);
    EXPECT_EQ(p.z, 0.0f);
}

TEST(Superformula, toricPointsLieOnTheTube) {
    PrimitiveSuperShapeToric toric;
    const GridSample outer = sampleOf(toric, 0.0, 0.7);
    const Vec3 p = toric.position(outer);
    EXPECT_NEAR(std::hypot(p.x, p.y), outer.rPhi + outer.rTheta, 1e-6);
    EXPECT_EQ(p.z, 0.0f);

    const GridSample top = sampleOf(toric, std::numbers::pi / 2, 0.7);
    const Vec3 q = toric.position(top);
    EXPECT_NEAR(std::hypot(q.x, q.y), top.rPhi, 1e-6);
    EXPECT_NEAR(q.z, top.rTheta, 1e-6);
}

TEST(SphericalHarmonic, allOnesGiveSinePlusCosine) {
    PrimitiveSphericalHarmonic harmonic;
    harmonic.coefh.fill(1.0f);
    for (double w : {-1.3, 0.2, 0.9}) {
        EXPECT_DOUBLE_EQ(harmonic.radiusPhi(w), std::sin(w) + std::cos(w));
        EXPECT_DOUBLE_EQ(harmonic.radiusTheta(w), std::sin(w) + std::cos(w));
    }
}

TEST(SphericalHarmonic, defaultsDescribeTheSphereOfRadiusTwo) {
    PrimitiveSphericalHarmonic harmonic;
    for (double theta : {0.1, 1.0, 2.5})
        for (double phi : {-3.0, 0.0, 1.7}) {
            const Vec3 p = harmonic.position(sampleOf(harmonic, theta, phi));
            EXPECT_NEAR(std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z), 2.0, 1e-6);
        }
}

TEST(SphericalHarmonic, pointAtThetaZeroIsOnTheZAxisWhateverPhi) {
    PrimitiveSphericalHarmonic harmonic;
    harmonic.coefh = {2, 1, 1, 2, 0.5f, 1, 1, 3};
    for (double phi : {-2.0, 0.0, 1.0}) {
        const GridSample s = sampleOf(harmonic, 0.0, phi);
        const Vec3 p = harmonic.position(s);
        EXPECT_EQ(p.x, 0.0f);
        EXPECT_EQ(p.y, 0.0f);
        EXPECT_EQ(p.z, static_cast<float>(s.rPhi + s.rTheta));
    }
}

TEST(SphericalHarmonic, negativeBaseWithFractionalExponentReachesTheVertexAsNaN) {
    PrimitiveSphericalHarmonic harmonic;
    harmonic.coefh = {1, 0.5f, 0, 1, 0, 1, 0, 1};
    EXPECT_TRUE(std::isnan(harmonic.radiusPhi(-1.0)));
    const Vec3 p = harmonic.position(sampleOf(harmonic, 1.0, -1.0));
    EXPECT_TRUE(std::isnan(p.x));
}
