#include "fit/HarmonicClosestPoint.h"

#include "fit/ClosestPointSteps.h"

#include <cmath>
#include <numbers>

namespace Vextal {

namespace {

constexpr double pi = std::numbers::pi;

// sin(f w)^e + cos(g w)^h and its slope in w.
struct Half {
    double value, slope;
};

Half half(const double* m, double w) {
    const int e = int(m[1]), h = int(m[3]);
    const double f = m[0], g = m[2];
    const double s = std::sin(f * w), c = std::cos(g * w);
    const double ds = e == 0 ? 0 : e * f * wholePower(s, e - 1) * std::cos(f * w);
    const double dc = h == 0 ? 0 : -h * g * wholePower(c, h - 1) * std::sin(g * w);
    return {wholePower(s, e) + wholePower(c, h), ds + dc};
}

// The surface point r (sin(theta) sin(phi), sin(theta) cos(phi),
// cos(theta)) with its partials in theta and phi.
bool sample(const std::array<double, 8>& m, double theta, double phi, SurfaceSample& out) {
    const Half a = half(m.data(), phi), b = half(m.data() + 4, theta);
    const double r = a.value + b.value;
    const double st = std::sin(theta), ct = std::cos(theta), sp = std::sin(phi), cp = std::cos(phi);
    const double u[3] = {st * sp, st * cp, ct};
    const double uTheta[3] = {ct * sp, ct * cp, -st};
    const double uPhi[3] = {st * cp, -st * sp, 0};
    bool finite = true;
    for (int k = 0; k < 3; ++k) {
        out.at[k] = r * u[k];
        out.dTheta[k] = b.slope * u[k] + r * uTheta[k];
        out.dPhi[k] = a.slope * u[k] + r * uPhi[k];
        finite = finite && std::isfinite(out.at[k]) && std::isfinite(out.dTheta[k]) &&
                 std::isfinite(out.dPhi[k]);
    }
    return finite;
}

// Keeps theta within [0, pi]: past a pole it goes on down the meridian
// opposite, where the surface goes on, rather than stopping at the pole,
// where every phi is the same point and a step could not leave it.
void hold(double& theta, double& phi) {
    if (theta < 0 || theta > pi) {
        theta = theta < 0 ? -theta : 2 * pi - theta;
        phi += pi;
    }
    phi = std::remainder(phi, 2 * pi);
}

} // namespace

double harmonicClosestDistance(const std::array<double, 8>& m, const double* q) {
    const double across = std::hypot(q[0], q[1]);
    double phi = std::atan2(q[0], q[1]), theta = std::atan2(across, q[2]);
    SurfaceSample at;
    if (!sample(m, theta, phi, at)) {
        const double d = distanceTo(at, q);
        return std::isfinite(d) ? d : HUGE_VAL;
    }
    return closestDistanceFrom(
        q, theta, phi, at,
        [&](double t, double f, SurfaceSample& out) { return sample(m, t, f, out); },
        [](double& t, double& f) { hold(t, f); });
}

} // namespace Vextal
