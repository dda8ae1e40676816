// The production tessellation and normals against the straightforward
// per-vertex reference, bit for bit: every vertex, normal and triangle, on
// many grids and parameters, infinities included; a NaN must meet a NaN (its
// sign and payload are the compiler's choice, see sameMeshAnyNaN).

#include "mesh/PolygonsIndexedNormal.h"
#include "primitives/PrimitiveSphericalHarmonic.h"
#include "primitives/PrimitiveSuperShapeToric.h"
#include "support/MeshCompare.h"
#include "support/ReferenceTessellation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>
#include <random>
#include <sstream>

using namespace Vextal;
using VextalTest::sameMeshAnyNaN;

namespace {

constexpr float pi = std::numbers::pi_v<float>;
constexpr float inf = std::numeric_limits<float>::infinity();

// Tessellates and computes normals both ways; the meshes must be identical.
template <class Primitive>::testing::AssertionResult matchesReference(Primitive primitive) {
    PolygonsIndexedNormal fast, reference;
    primitive.tessellate(fast);
    fast.computeNormals();
    VextalReference::tessellate(primitive, reference);
    VextalReference::computeNormals(reference);
    return sameMeshAnyNaN(fast, reference);
}

std::string describe(const PrimitiveParametric& p) {
    std::ostringstream text;
    text.precision(9);
    text << "S=" << unsigned(p.sliceCount) << " R=" << unsigned(p.rotateCount)
         << (p.closed ? " closed" : " open") << " phi " << p.phiMin << ".." << p.phiMax << " theta "
         << p.thetaMin << ".." << p.thetaMax;
    return text.str();
}

struct Range {
    float min;
    float max;
};

// Full turns, partial and odd ranges, reversed and empty ones, huge ones.
const Range phiRanges[] = {{-pi, pi},       {0.0f, pi},        {-0.3f, 2.9f},     {1.0f, 1.0f},
                           {2.0f, -1.5f},   {-10.0f, 37.0f},   {-1e-30f, 1e-30f}, {0.0f, 2 * pi},
                           {-3e38f, 3e38f}, {0.1f, 0.1000001f}};
const Range thetaRanges[] = {{-pi / 2, pi / 2}, {-pi, pi},    {0.0f, pi},     {0.25f, 1.25f},
                             {3.0f, -3.0f},     {0.0f, 0.0f}, {-7.5f, 11.0f}, {-3e38f, 3e38f}};

template <class Primitive> void sweepGrids(Primitive primitive) {
    // Every slice and rotation count from 1 to 20, both closures.
    for (unsigned s = 1; s <= 20; ++s)
        for (unsigned r = 1; r <= 20; ++r)
            for (bool closed : {true, false}) {
                primitive.sliceCount = std::uint8_t(s);
                primitive.rotateCount = std::uint8_t(r);
                primitive.closed = closed;
                ASSERT_TRUE(matchesReference(primitive)) << describe(primitive);
            }
    // Larger and odd sizes up to the largest, with every range pair.
    const unsigned sizes[][2] = {{255, 255}, {254, 3}, {3, 254},  {97, 131}, {2, 255},
                                 {255, 2},   {64, 64}, {31, 200}, {200, 31}};
    for (const auto& size : sizes)
        for (bool closed : {true, false}) {
            primitive.sliceCount = std::uint8_t(size[0]);
            primitive.rotateCount = std::uint8_t(size[1]);
            primitive.closed = closed;
            ASSERT_TRUE(matchesReference(primitive)) << describe(primitive);
        }
    primitive.sliceCount = 23;
    primitive.rotateCount = 17;
    for (const Range& phi : phiRanges)
        for (const Range& theta : thetaRanges)
            for (bool closed : {true, false}) {
                primitive.phiMin = phi.min;
                primitive.phiMax = phi.max;
                primitive.thetaMin = theta.min;
                primitive.thetaMax = theta.max;
                primitive.closed = closed;
                ASSERT_TRUE(matchesReference(primitive)) << describe(primitive);
            }
}

// Superformula coefficient sets: the defaults, the examples, and ones that
// give zero, infinite and NaN radii.
const SuperShapeCoefficients superformulas[] = {
    {0.1f, 1, 2.5f, 2.6f, 1, 1},  {3, 0.2f, 1, 3, 1, 1},
    {2, 7, 7, 5, 1, 1},           {2, 2, 2, 4, 1, 0.3f},
    {-0.5f, 0.5f, 0.5f, 6, 1, 1}, {10, 10, 10, 4, 1, 1},
    {1, 1, 1, 0, 0.25f, 0.25f},   {0, 1, 1, 4, 1, 1},
    {1, 1, 1, 4, 0, 1},           {1, 1, 1, 4, 1, 0},
    {0, 0, 0, 0, 0, 0},           {1e-30f, 1, 1, 4, 1, 1},
    {1, 1e30f, 1e30f, 4, 1, 1},   {1, -3, -3, 4, 1, 1},
    {1, 0.5f, 0.5f, 1e30f, 1, 1}, {-1e-30f, 200, 200, 7, 1e-20f, 1e20f},
    {inf, 1, 1, 4, 1, 1},         {1, inf, inf, 4, 1, 1},
    {1, 1, 1, inf, 1, 1},         {1, 1, 1, 4, inf, inf},
    {-inf, -inf, 2, -4, -inf, 3},
};

// coefh sets: the examples, negative bases with fractional exponents (NaN),
// huge and zero exponents (infinities), huge frequencies.
const std::array<float, 8> harmonics[] = {
    {0, 1, 0, 1, 0, 1, 0, 1},
    {4, 2, 3, 2, 2, 2, 6, 2},
    {2, 2, 0, 1, 0, 1, 2, 4},
    {1, 1, 1, 1, 1, 1, 1, 1},
    {3, 0.5f, 2, 1.5f, 5, 0.3f, 1, 2.5f},
    {1, -1, 1, -2, 1, -0.5f, 1, -3},
    {7, 1e30f, 3, -1e30f, 2, 300, 5, -300},
    {1e30f, 2, -1e30f, 3, 1e20f, 1, 1, 1},
    {0, 0, 0, 0, 0, 0, 0, 0},
    {inf, 1, 1, inf, -inf, 2, 2, -inf},
    {-2, 0.1f, -3, 0.7f, 1.5f, -0.2f, 2.5f, 1.3f},
};

} // namespace

TEST(FastTessellation, sphericMatchesTheReferenceOnEveryGrid) {
    sweepGrids(PrimitiveSuperShapeSpheric());
}

TEST(FastTessellation, toricMatchesTheReferenceOnEveryGrid) {
    sweepGrids(PrimitiveSuperShapeToric());
}

TEST(FastTessellation, harmonicMatchesTheReferenceOnEveryGrid) {
    PrimitiveSphericalHarmonic harmonic;
    harmonic.coefh = {4, 2, 3, 2, 2, 2, 6, 2};
    sweepGrids(harmonic);
}

TEST(FastTessellation, superformulaCoefficientsIncludingNonFiniteMatch) {
    for (const auto& phiCoefficients : superformulas)
        for (const auto& thetaCoefficients : superformulas) {
            PrimitiveSuperShapeSpheric spheric;
            spheric.setCoef1(phiCoefficients);
            spheric.setCoef2(thetaCoefficients);
            spheric.sliceCount = 13;
            spheric.rotateCount = 11;
            ASSERT_TRUE(matchesReference(spheric)) << "spheric";
            PrimitiveSuperShapeToric toric;
            toric.setCoef1(phiCoefficients);
            toric.setCoef2(thetaCoefficients);
            toric.sliceCount = 12;
            toric.rotateCount = 14;
            toric.thetaMin = -pi;
            toric.thetaMax = pi;
            ASSERT_TRUE(matchesReference(toric)) << "toric";
        }
}

TEST(FastTessellation, harmonicCoefficientsIncludingNaNMatch) {
    for (const auto& coefficients : harmonics)
        for (const Range& theta : {Range{0.0f, pi}, Range{-pi / 2, pi / 2}, Range{-4.0f, 9.0f}}) {
            PrimitiveSphericalHarmonic harmonic;
            harmonic.coefh = coefficients;
            harmonic.thetaMin = theta.min;
            harmonic.thetaMax = theta.max;
            harmonic.sliceCount = 16;
            harmonic.rotateCount = 19;
            ASSERT_TRUE(matchesReference(harmonic)) << describe(harmonic);
        }
}

TEST(FastTessellation, nonFiniteResultsReallyOccurInTheSweep) {
    // Guard against a sweep that never reaches the cases it claims to cover.
    PrimitiveSphericalHarmonic harmonic;
    harmonic.coefh = {1, -1, 1, -2, 1, -0.5f, 1, -3};
    PolygonsIndexedNormal mesh;
    harmonic.tessellate(mesh);
    mesh.computeNormals();
    bool nan = false, infinite = false;
    for (std::uint32_t k = 0; k < mesh.vertexCount; ++k) {
        nan |= std::isnan(mesh.vertices[k].x) || std::isnan(mesh.normals[k].x);
        infinite |= std::isinf(mesh.vertices[k].z);
    }
    EXPECT_TRUE(nan);
    PrimitiveSuperShapeSpheric spheric;
    spheric.setCoef1({0, 1, 1, 4, 1, 1});
    spheric.tessellate(mesh);
    for (std::uint32_t k = 0; k < mesh.vertexCount; ++k)
        infinite |= std::isinf(mesh.vertices[k].x) || std::isnan(mesh.vertices[k].x);
    EXPECT_TRUE(infinite);
}

TEST(FastTessellation, randomParametersMatch) {
    std::mt19937 generator(20240611);
    std::uniform_real_distribution<float> angle(-8.0f, 8.0f);
    std::uniform_real_distribution<float> coefficient(-6.0f, 6.0f);
    std::uniform_int_distribution<int> count(1, 255);
    for (int round = 0; round < 60; ++round) {
        const std::uint8_t slices = std::uint8_t(count(generator) % 40 + 1);
        const std::uint8_t rotations = std::uint8_t(count(generator));
        const bool closed = round % 3 != 0;
        const float p0 = angle(generator), p1 = angle(generator);
        const float t0 = angle(generator), t1 = angle(generator);
        auto configure = [&](PrimitiveParametric& p) {
            p.sliceCount = slices;
            p.rotateCount = rotations;
            p.closed = closed;
            p.phiMin = std::min(p0, p1);
            p.phiMax = std::max(p0, p1);
            p.thetaMin = std::min(t0, t1);
            p.thetaMax = std::max(t0, t1);
        };
        auto superformula = [&] {
            return SuperShapeCoefficients{coefficient(generator), coefficient(generator),
                                          coefficient(generator), coefficient(generator),
                                          coefficient(generator), coefficient(generator)};
        };
        PrimitiveSuperShapeSpheric spheric;
        configure(spheric);
        spheric.setCoef1(superformula());
        spheric.setCoef2(superformula());
        ASSERT_TRUE(matchesReference(spheric)) << describe(spheric);
        PrimitiveSuperShapeToric toric;
        configure(toric);
        toric.setCoef1(superformula());
        toric.setCoef2(superformula());
        ASSERT_TRUE(matchesReference(toric)) << describe(toric);
        PrimitiveSphericalHarmonic harmonic;
        configure(harmonic);
        for (float& m : harmonic.coefh)
            m = coefficient(generator);
        ASSERT_TRUE(matchesReference(harmonic)) << describe(harmonic);
    }
}
