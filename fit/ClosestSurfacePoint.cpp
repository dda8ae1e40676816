#include "fit/ClosestSurfacePoint.h"

#include "fit/ClosestPointSteps.h"
#include "fit/SurfaceResidual.h"
#include "primitives/SurfaceFormulas.h"

#include <cmath>
#include <numbers>

namespace Vextal {

namespace {

using Jet2 = ceres::Jet<double, 2>; // the partials in theta and phi

constexpr double pi = std::numbers::pi;

// r(w) of the formula whose free numbers start at s, as the residual takes
// it, with its slope dr/dw as a jet's partial `slot`. A term that is 0 or
// constant (an order m of 0, an exponent of 0) adds nothing to the slope,
// where the chain rule through |.|^n would give 0 / 0.
Jet2 radiusWithSlope(const double* s, double m, double w, int slot) {
    const double n1 = s[0], n2 = s[1], n3 = s[2], a = s[3], b = s[4];
    Jet2 r(radiusOf(s, m, w), slot);
    const double u = m * 0.25 * offZeros(w, m);
    const double cu = std::cos(u), su = std::sin(u);
    const double C = std::pow(std::fabs(cu / a), n2), S = std::pow(std::fabs(su / b), n3);
    const double dC = C == 0 || n2 == 0 ? 0 : -n2 * C * su / cu;
    const double dS = S == 0 || n3 == 0 ? 0 : n3 * S * cu / su;
    r.v[slot] = -r.a / (n1 * (C + S)) * 0.25 * m * (dC + dS);
    return r;
}

struct Surface {
    const double* shape;
    double m1, m2;
    bool toric;

    // False where the point or its partials are not finite.
    bool sample(double theta, double phi, SurfaceSample& out) const {
        using std::cos, std::sin;
        const Jet2 t(theta, 0), f(phi, 1);
        const Jet2 r1 = radiusWithSlope(shape, m1, phi, 1);
        const Jet2 r2 = radiusWithSlope(shape + shapeValuesPerFormula, m2, theta, 0);
        const SurfacePoint<Jet2> p = toric ? toricPointOf(sin(t), cos(t), r2, sin(f), cos(f), r1)
                                           : sphericPointOf(sin(t), cos(t), r2, sin(f), cos(f), r1);
        const Jet2* c[3] = {&p.x, &p.y, &p.z};
        bool finite = true;
        for (int k = 0; k < 3; ++k) {
            out.at[k] = c[k]->a;
            out.dTheta[k] = c[k]->v[0];
            out.dPhi[k] = c[k]->v[1];
            finite = finite && std::isfinite(out.at[k]) && std::isfinite(out.dTheta[k]) &&
                     std::isfinite(out.dPhi[k]);
        }
        return finite;
    }
};

// Keeps (theta, phi) on the surface's parameter domain. phi wraps to
// [-pi, pi], the range the ray's atan2 gives, since an odd order's radius is
// not periodic over 2 pi. The spheric theta passes over a pole onto the
// meridian opposite, where the surface goes on, rather than stopping at it,
// where every phi is the same point and a step could not leave it; the
// toroidal theta wraps as phi does.
void hold(double& theta, double& phi, bool toric) {
    if (toric) {
        theta = std::remainder(theta, 2 * pi);
    } else if (theta > pi / 2 || theta < -pi / 2) {
        theta = std::copysign(pi, theta) - theta;
        phi += pi;
    }
    phi = std::remainder(phi, 2 * pi);
}

} // namespace

double closestSurfaceDistance(const FitStart& s, SurfaceKind kind, const FitPoint& p) {
    const Surface surface{s.shape.data(), s.m1, s.m2, kind == SurfaceKind::toric};
    // The point in the shape's frame, where the surface's scale is 1.
    double q[3];
    toShapeFrame(p.data(), s.rotation.data(), s.translation.data(), &s.scale, q);
    // The ray's hit, at the point's own angles as the residual takes them.
    const double rho = std::sqrt(q[0] * q[0] + q[1] * q[1] + 1e-300);
    const double phi = std::atan2(q[1], q[0]);
    const double r1 = radiusOf(s.shape.data(), s.m1, phi);
    const double theta = surface.toric ? std::atan2(q[2], rho - r1) : std::atan2(q[2] * r1, rho);
    SurfaceSample hit;
    if (!surface.sample(theta, phi, hit)) {
        // No partials there: the hit's own distance, when it has one.
        const double d = distanceTo(hit, q);
        return std::isfinite(d) ? s.scale * d : HUGE_VAL;
    }
    const double ray = distanceTo(hit, q);
    const double closest = closestDistanceFrom(
        q, theta, phi, hit,
        [&](double t, double f, SurfaceSample& out) { return surface.sample(t, f, out); },
        [&](double& t, double& f) { hold(t, f, surface.toric); });
    return s.scale * (std::isfinite(closest) && closest < ray ? closest : ray);
}

} // namespace Vextal
