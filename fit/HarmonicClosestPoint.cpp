#include "fit/HarmonicClosestPoint.h"

#include <cmath>
#include <numbers>

namespace Vextal {

namespace {

constexpr double pi = std::numbers::pi;

// x^n for whole n, with 0^0 = 1 as the search's tables take it.
double power(double x, int n) {
    double out = 1;
    for (int k = 0; k < n; ++k)
        out *= x;
    return out;
}

// sin(f w)^e + cos(g w)^h and its slope in w.
struct Half {
    double value, slope;
};

Half half(const double* m, double w) {
    const int e = int(m[1]), h = int(m[3]);
    const double f = m[0], g = m[2];
    const double s = std::sin(f * w), c = std::cos(g * w);
    const double ds = e == 0 ? 0 : e * f * power(s, e - 1) * std::cos(f * w);
    const double dc = h == 0 ? 0 : -h * g * power(c, h - 1) * std::sin(g * w);
    return {power(s, e) + power(c, h), ds + dc};
}

// The surface point r (sin(theta) sin(phi), sin(theta) cos(phi),
// cos(theta)) with its partials in theta and phi.
struct Sample {
    double at[3], dTheta[3], dPhi[3];
};

bool sample(const std::array<double, 8>& m, double theta, double phi, Sample& out) {
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

double distanceTo(const Sample& s, const double* q) {
    return std::hypot(s.at[0] - q[0], s.at[1] - q[1], s.at[2] - q[2]);
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
    Sample at;
    if (!sample(m, theta, phi, at)) {
        const double d = distanceTo(at, q);
        return std::isfinite(d) ? d : HUGE_VAL;
    }
    double distance = distanceTo(at, q);
    for (int step = 0; step < 40 && distance > 0; ++step) {
        double a = 0, b = 0, c = 0, gTheta = 0, gPhi = 0;
        for (int k = 0; k < 3; ++k) {
            const double r = at.at[k] - q[k];
            a += at.dTheta[k] * at.dTheta[k];
            b += at.dTheta[k] * at.dPhi[k];
            c += at.dPhi[k] * at.dPhi[k];
            gTheta += at.dTheta[k] * r;
            gPhi += at.dPhi[k] * r;
        }
        // The damping keeps the system solvable at a pole, where the phi
        // column vanishes.
        const double damp = 1e-12 * (a + c) + 1e-300;
        const double det = (a + damp) * (c + damp) - b * b;
        if (!(det > 0))
            break;
        double sTheta = -((c + damp) * gTheta - b * gPhi) / det;
        double sPhi = -((a + damp) * gPhi - b * gTheta) / det;
        if (std::fabs(sTheta) + std::fabs(sPhi) < 1e-12)
            break;
        bool closer = false, settled = false;
        for (int halving = 0; halving < 10; ++halving, sTheta *= 0.5, sPhi *= 0.5) {
            double t = theta + sTheta, f = phi + sPhi;
            hold(t, f);
            Sample next;
            if (!sample(m, t, f, next))
                continue;
            if (const double d = distanceTo(next, q); d < distance) {
                closer = true;
                settled = distance - d <= 1e-9 * d;
                distance = d;
                at = next;
                theta = t;
                phi = f;
                break;
            }
        }
        if (!closer || settled)
            break;
    }
    return distance;
}

} // namespace Vextal
