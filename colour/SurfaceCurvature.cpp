#include "colour/SurfaceCurvature.h"

#include <cmath>
#include <limits>

namespace Vextal {

namespace {

SuperShapeCoefficients coefficientsOf(const std::array<float, 6>& c) {
    return {c[0], c[1], c[2], c[3], c[4], c[5]};
}

struct Vector {
    double x, y, z;
};
double dot(const Vector& a, const Vector& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
Vector crossOf(const Vector& a, const Vector& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

} // namespace

SurfaceDerivatives::SurfaceDerivatives(const SceneValues& v)
    : values(v), coef1(coefficientsOf(v.coef1)), coef2(coefficientsOf(v.coef2)),
      derived1(derive(coef1)), derived2(derive(coef2)) {}

AngleJets SurfaceDerivatives::atTheta(double theta) const {
    const Jet u = Jet::u(theta);
    const auto& h = values.coefh;
    const Jet radius = values.surface == SurfaceKind::harmonic
                           ? harmonicRadiusOf(h[4], h[5], h[6], h[7], u)
                           : superformulaRadiusOf(coef2, derived2, u);
    return {sin(u), cos(u), radius};
}

AngleJets SurfaceDerivatives::atPhi(double phi) const {
    const Jet v = Jet::v(phi);
    const auto& h = values.coefh;
    const Jet radius = values.surface == SurfaceKind::harmonic
                           ? harmonicRadiusOf(h[0], h[1], h[2], h[3], v)
                           : superformulaRadiusOf(coef1, derived1, v);
    return {sin(v), cos(v), radius};
}

SurfacePoint<Jet> SurfaceDerivatives::point(const AngleJets& t, const AngleJets& p) const {
    switch (values.surface) {
    case SurfaceKind::spheric:
        return sphericPointOf(t.sine, t.cosine, t.radius, p.sine, p.cosine, p.radius);
    case SurfaceKind::toric:
        return toricPointOf(t.sine, t.cosine, t.radius, p.sine, p.cosine, p.radius);
    case SurfaceKind::harmonic:
        return harmonicPointOf(t.sine, t.cosine, t.radius, p.sine, p.cosine, p.radius);
    }
    return {};
}

// The first fundamental form E, F, G and the second L, M, N against the unit
// normal Xu x Xv, which points inwards on all three surfaces (their triangles
// run the other way round): with it the usual H = (E N - 2 F M + G L) / 2 (E G - F^2)
// is positive on a sphere.
Curvature curvatureOf(const SurfacePoint<Jet>& s) {
    const Vector xu{s.x.du, s.y.du, s.z.du}, xv{s.x.dv, s.y.dv, s.z.dv};
    const Vector xuu{s.x.duu, s.y.duu, s.z.duu}, xuv{s.x.duv, s.y.duv, s.z.duv},
        xvv{s.x.dvv, s.y.dvv, s.z.dvv};
    const double e = dot(xu, xu), f = dot(xu, xv), g = dot(xv, xv);
    const Vector n = crossOf(xu, xv);
    // |Xu x Xv|^2 = E G - F^2, without the cancellation of the difference.
    const double areaSquared = dot(n, n);
    const double area = std::sqrt(areaSquared);
    // Tangents that barely span a plane: a pole of the parametrisation (the
    // float angle of a pole may lie a rounding past it, where the orientation
    // has turned), or a sharp tip.
    if (!(area > 1e-6 * (e + g))) {
        constexpr double nan = std::numeric_limits<double>::quiet_NaN();
        return {nan, nan, std::isfinite(area) ? area : nan};
    }
    const double l = dot(xuu, n) / area, m = dot(xuv, n) / area, nn = dot(xvv, n) / area;
    return {(l * nn - m * m) / areaSquared, (e * nn - 2 * f * m + g * l) / (2 * areaSquared), area};
}

Curvature curvatureAt(const SceneValues& values, double theta, double phi) {
    const SurfaceDerivatives surface(values);
    return curvatureOf(surface.point(surface.atTheta(theta), surface.atPhi(phi)));
}

} // namespace Vextal
