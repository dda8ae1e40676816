#include "fit/FitStarts.h"
#include "fit/SurfaceFit.h"
#include "fit/SurfaceResidual.h"
#include "primitives/SurfaceFormulas.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <numbers>
#include <vector>

using namespace Vextal;

namespace {

using Vec = std::array<double, 3>;
constexpr double pi = std::numbers::pi;

// A superformula surface under a pose turned by 0.5 about z, as a scene.
SceneValues posed(SurfaceKind kind, std::array<float, 6> coef1, std::array<float, 6> coef2) {
    SceneValues v;
    v.surface = kind;
    v.coef1 = coef1;
    v.coef2 = coef2;
    v.pose = ScenePose{{0, 0, 1}, 0.5f, {1.5f, -2, 0.5f}, 2.5f};
    return v;
}

double radius(const std::array<float, 6>& c, double w) {
    return superformulaRadiusWith(double(c[3]), 1 / double(c[4]), 1 / double(c[5]), double(c[1]),
                                  double(c[2]), -1 / double(c[0]), w);
}

// The surface point at (theta, phi) in the shape's frame, from the formula.
Vec surfacePoint(const SceneValues& v, double theta, double phi) {
    if (v.surface == SurfaceKind::harmonic) {
        const auto& m = v.coefh;
        const double r =
            std::pow(std::sin(m[0] * phi), m[1]) + std::pow(std::cos(m[2] * phi), m[3]) +
            std::pow(std::sin(m[4] * theta), m[5]) + std::pow(std::cos(m[6] * theta), m[7]);
        return {r * std::sin(theta) * std::sin(phi), r * std::sin(theta) * std::cos(phi),
                r * std::cos(theta)};
    }
    const double r1 = radius(v.coef1, phi), r2 = radius(v.coef2, theta);
    const auto p =
        v.surface == SurfaceKind::toric
            ? toricPointOf(std::sin(theta), std::cos(theta), r2, std::sin(phi), std::cos(phi), r1)
            : sphericPointOf(std::sin(theta), std::cos(theta), r2, std::sin(phi), std::cos(phi),
                             r1);
    return {p.x, p.y, p.z};
}

// The point `offset` from the surface point at (theta, phi) along its unit
// normal (by central differences), placed by the scene's pose.
FitPoint offNormal(const SceneValues& v, double theta, double phi, double offset) {
    const double h = 1e-6;
    const Vec a = surfacePoint(v, theta + h, phi), b = surfacePoint(v, theta - h, phi);
    const Vec c = surfacePoint(v, theta, phi + h), d = surfacePoint(v, theta, phi - h);
    const Vec u{a[0] - b[0], a[1] - b[1], a[2] - b[2]}, w{c[0] - d[0], c[1] - d[1], c[2] - d[2]};
    Vec n{u[1] * w[2] - u[2] * w[1], u[2] * w[0] - u[0] * w[2], u[0] * w[1] - u[1] * w[0]};
    const double length = std::hypot(n[0], n[1], n[2]);
    const Vec s = surfacePoint(v, theta, phi);
    Vec q;
    for (int k = 0; k < 3; ++k)
        q[k] = s[k] + offset * n[k] / length;
    const ScenePose& pose = *v.pose;
    const double cs = std::cos(double(pose.angle)), sn = std::sin(double(pose.angle));
    return {pose.scale * (cs * q[0] - sn * q[1]) + pose.translation[0],
            pose.scale * (sn * q[0] + cs * q[1]) + pose.translation[1],
            pose.scale * q[2] + pose.translation[2]};
}

// The fit's residual at p: the ray's gap over its slope.
double residual(const SceneValues& v, const FitPoint& p) {
    FitStart s = startFromScene(v);
    double r = 0;
    SphericResidual{{p[0], p[1], p[2]}, s.m1, s.m2}(s.shape.data(), s.rotation.data(),
                                                    s.translation.data(), &s.scale, &r);
    return std::fabs(r);
}

// The gap along the ray the residual follows.
double rayGap(const SceneValues& v, const FitPoint& p) {
    FitStart s = startFromScene(v);
    const auto gap = [&](auto g) {
        return std::fabs(g(s.shape.data(), s.rotation.data(), s.translation.data(), &s.scale,
                           p.data(), s.m1, s.m2));
    };
    return v.surface == SurfaceKind::toric ? gap(ToricGap{}) : gap(SphericGap{});
}

} // namespace

// Points a known distance along the normal of known surface points measure
// that distance: where the ray from the centre meets the surface obliquely
// (a starfish arm's flank, whose ray measure is well off), near and above a
// pole, on the toroidal star ring's flank and on the spherical harmonic's. No point of a cloud
// about the starfish, its centre among them, measures more than its ray gap or anything not finite.
TEST(SurfaceDistance, IsTheDistanceToTheClosestSurfacePoint) {
    const SceneValues star =
        posed(SurfaceKind::spheric, {2, 7, 7, 5, 1, 1}, {2, 2, 2, 4, 0.8f, 0.24f});
    const SceneValues ring =
        posed(SurfaceKind::toric, {2, 7, 7, 5, 0.925f, 0.925f}, {1, 1, 1, 0, 0.19f, 0.19f});
    struct Case {
        const SceneValues* scene;
        double theta, phi, offset;
    };
    const Case cases[] = {
        {&star, 0.2, pi / 10, 0.03},     // an arm's flank, outside
        {&star, -0.3, 0.5, -0.02},       // the other flank, inside
        {&star, pi / 2 - 0.01, 2, 0.04}, // by the north pole
        {&star, -pi / 2, 0, 0.05},       // below the south pole
        {&ring, 1.0, pi / 10, 0.03},     {&ring, -2.5, 0.4, -0.02},
    };
    std::vector<FitPoint> points;
    for (const Case& c : cases)
        points.push_back(offNormal(*c.scene, c.theta, c.phi, c.offset));
    for (std::size_t k = 0; k < points.size(); ++k) {
        const double expected = 2.5 * std::fabs(cases[k].offset);
        const double measured = pointDistances({points[k]}, *cases[k].scene).at(0);
        EXPECT_NEAR(measured, expected, 1e-6 * expected) << "case " << k;
    }
    EXPECT_GT(residual(star, points[0]), 1.1 * 2.5 * 0.03) << "the ray measure is not off there";

    // So for the spherical harmonic: the six ridges' flanks and the lobes'
    // waist, where the ray from the centre meets the surface obliquely.
    SceneValues ridges = posed(SurfaceKind::harmonic, {}, {});
    ridges.coefh = {3, 2, 0, 1, 0, 1, 1, 6};
    SceneValues lobes = ridges;
    lobes.coefh = {0, 1, 3, 2, 2, 2, 2, 8};
    const Case harmonics[] = {{&ridges, 1.2, 0.4, 0.03},
                              {&ridges, 0.3, -0.2, -0.02},
                              {&lobes, 0.9, 0.3, 0.02},
                              {&lobes, 2.0, 1.2, -0.01}};
    for (const Case& c : harmonics) {
        const double expected = 2.5 * std::fabs(c.offset);
        const FitPoint p = offNormal(*c.scene, c.theta, c.phi, c.offset);
        EXPECT_NEAR(pointDistances({p}, *c.scene).at(0), expected, 1e-6 * expected)
            << "harmonic at theta " << c.theta;
    }

    std::vector<FitPoint> cloud{{1.5, -2, 0.5}};
    for (int i = 0; i < 12; ++i)
        for (int j = 0; j < 12; ++j)
            for (const double r : {0.2, 1.0, 2.4, 6.0}) {
                const double theta = -pi / 2 + pi * i / 11, phi = -pi + 2 * pi * j / 12;
                cloud.push_back({1.5 + r * std::cos(theta) * std::cos(phi),
                                 -2 + r * std::cos(theta) * std::sin(phi),
                                 0.5 + r * std::sin(theta)});
            }
    const std::vector<double> distances = pointDistances(cloud, star);
    for (std::size_t k = 0; k < cloud.size(); ++k) {
        ASSERT_TRUE(std::isfinite(distances[k])) << "point " << k;
        EXPECT_LE(distances[k], rayGap(star, cloud[k]) * (1 + 1e-12)) << "point " << k;
    }
}

// The radius's derivatives, carried by jets, match central differences of
// its value, for a term of order 0 (the tube's circle, whose sines are all
// 0) as for a star's.
TEST(SurfaceDistance, RadiusDerivativesHoldAtEveryOrder) {
    using J = ceres::Jet<double, 6>;
    for (const double m : {0.0, 5.0}) {
        const double numbers[6] = {1.7, 2.3, 1.4, 0.9, 0.6, 0.7}; // n1 n2 n3 a b, w
        J jets[6];
        for (int k = 0; k < 6; ++k)
            jets[k] = J(numbers[k], k);
        const J r = radiusOf(jets, m, jets[5]);
        for (int k = 0; k < 6; ++k) {
            double up[6], down[6];
            std::copy(numbers, numbers + 6, up);
            std::copy(numbers, numbers + 6, down);
            up[k] += 1e-6;
            down[k] -= 1e-6;
            const double slope = (radiusOf(up, m, up[5]) - radiusOf(down, m, down[5])) / 2e-6;
            EXPECT_NEAR(r.v[k], slope, 1e-6 * (1 + std::fabs(slope)))
                << "m " << m << ", number " << k;
        }
    }
}
