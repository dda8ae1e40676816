#pragma once

#include <cmath>

namespace Vextal {

// A surface point with its partials in theta and phi, in the shape's frame.
struct SurfaceSample {
    double at[3], dTheta[3], dPhi[3];
};

inline double distanceTo(const SurfaceSample& s, const double* q) {
    return std::hypot(s.at[0] - q[0], s.at[1] - q[1], s.at[2] - q[2]);
}

// The distance from q to the closest point of a surface of (theta, phi),
// from the sample `at` at (theta, phi): damped Gauss-Newton on
// |S(theta, phi) - q|^2, each step halved until it brings the point closer.
// `sample(theta, phi, out)` gives a surface point with its partials (false
// where they are not finite); `hold(theta, phi)` keeps the angles on the
// surface's domain. At a pole the phi column vanishes; the damping keeps the
// system solvable there, and the step then moves theta alone.
template <class Sample, class Hold>
double closestDistanceFrom(const double* q, double theta, double phi, SurfaceSample at,
                           const Sample& sample, const Hold& hold) {
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
        const double damp = 1e-12 * (a + c) + 1e-300;
        const double det = (a + damp) * (c + damp) - b * b;
        if (!(det > 0))
            break;
        double sTheta = -((c + damp) * gTheta - b * gPhi) / det;
        double sPhi = -((a + damp) * gPhi - b * gTheta) / det;
        if (std::fabs(sTheta) + std::fabs(sPhi) < 1e-12)
            break;
        bool closer = false, settled = false;
        for (int half = 0; half < 10; ++half, sTheta *= 0.5, sPhi *= 0.5) {
            double t = theta + sTheta, f = phi + sPhi;
            hold(t, f);
            SurfaceSample next;
            if (!sample(t, f, next))
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
        // Done when no step brings it closer, or the last one gained less
        // than 1e-9 of the distance: the distance's error is then smaller
        // still, the steps shrinking by a steady factor.
        if (!closer || settled)
            break;
    }
    return distance;
}

} // namespace Vextal
