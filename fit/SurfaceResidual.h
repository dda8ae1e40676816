#pragma once

#include "fit/JetMath.h"
#include "primitives/SurfaceFormulas.h"

#include <ceres/rotation.h>

#include <algorithm>
#include <cmath>
#include <type_traits>

namespace Vextal {

// One superformula's free numbers in a parameter block: n1 n2 n3 a b (its m
// is fixed for a whole start, since a fractional order opens the surface).
inline constexpr int shapeValuesPerFormula = 5;
inline constexpr int shapeBlockSize = 2 * shapeValuesPerFormula;

inline double value(double x) {
    return x;
}
template <class T, int N> double value(const ceres::Jet<T, N>& x) {
    return x.a;
}

// Keeps an angle off the zeros of sin(m w / 4) and cos(m w / 4), where the
// derivative of |.|^n with n below 1 is infinite: a point that falls there
// exactly is moved by far less than any distance the fit reports.
template <class T> T offZeros(const T& w, double m) {
    const double u = m * 0.25 * value(w);
    if (std::fabs(std::sin(u)) < 1e-9 || std::fabs(std::cos(u)) < 1e-9)
        return w + 1e-9;
    return w;
}

// r(w) of the formula whose free numbers start at s, with order m.
inline double radiusOf(const double* s, double m, double w) {
    return superformulaRadiusWith(m, 1 / s[3], 1 / s[4], s[1], s[2], -1 / s[0], offZeros(w, m));
}

// The same carrying derivatives: the value from the same formula on doubles,
// the derivatives by the chain rule through its partials. Jets' own powers
// with jet exponents (a log, a power and several vector products each, three
// a radius) were most of a fit's time.
//   r = (C + S)^(-1/n1), C = |cos(u) / a|^n2, S = |sin(u) / b|^n3, u = m w / 4
template <int N>
ceres::Jet<double, N> radiusOf(const ceres::Jet<double, N>* s, double m,
                               const ceres::Jet<double, N>& w) {
    const double n1 = s[0].a, n2 = s[1].a, n3 = s[2].a, a = s[3].a, b = s[4].a;
    // As superformulaRadiusWith computes it, so that the value is the same
    // bits as the one the solver gets without derivatives.
    const double u = (m * offZeros(w.a, m)) * 0.25;
    const double cu = std::cos(u), su = std::sin(u);
    const double S = std::pow(std::fabs(su * (1 / b)), n3);
    const double C = std::pow(std::fabs(cu * (1 / a)), n2);
    const double r = std::pow(C + S, -1 / n1);
    // A term whose sine or cosine is 0 (every angle's sine at order 0, the
    // tube's circle) is 0 or 1 whatever its exponent and divisor: its
    // derivatives are 0, where the formula's own would be 0 times infinity.
    const bool noC = cu == 0, noS = su == 0;
    const double CLogC = noC ? 0 : C * std::log(std::fabs(cu / a));
    const double SLogS = noS ? 0 : S * std::log(std::fabs(su / b));
    const double k = -r / (n1 * (C + S)); // dr/dC, and dr/dS
    const double turn = m == 0 ? 0 : 0.25 * m * ((noS ? 0 : n3 * S * cu / su) - n2 * C * su / cu);
    ceres::Jet<double, N> out(r);
    out.v = (r * std::log(C + S) / (n1 * n1)) * s[0].v + (k * CLogC) * s[1].v +
            (k * SLogS) * s[2].v + (-k * n2 * C / a) * s[3].v +
            (noS ? 0 : -k * n3 * S / b) * s[4].v + (k * turn) * w.v;
    return out;
}

// The point p taken into the shape's own frame: q = R^T (p - t) / scale.
template <class T>
void toShapeFrame(const T* p, const T* rotation, const T* translation, const T* scale, T* q) {
    const T d[3] = {p[0] - translation[0], p[1] - translation[1], p[2] - translation[2]};
    const T back[3] = {-rotation[0], -rotation[1], -rotation[2]};
    ceres::AngleAxisRotatePoint(back, d, q);
    for (int k = 0; k < 3; ++k)
        q[k] /= scale[0];
}

// The spheric superformula surface's radial gap at a point: the distance,
// in the points' own units, from the point to the surface along the ray
// from the shape's centre through it. The surface is star-shaped about its
// centre (one surface point per direction), so that point is found from
// the direction alone: phi from x and y, then theta from
// tan(theta) = z r1(phi) / |(x, y)|.
struct SphericGap {
    template <class T>
    T operator()(const T* shape, const T* rotation, const T* translation, const T* scale,
                 const T* p, double m1, double m2) const {
        using std::atan2, std::cos, std::sin, std::sqrt;
        T q[3];
        toShapeFrame(p, rotation, translation, scale, q);
        const T rho = sqrt(q[0] * q[0] + q[1] * q[1] + T(1e-300));
        const T phi = atan2(q[1], q[0]);
        const T r1 = radiusOf(shape, m1, phi);
        const T theta = atan2(q[2] * r1, rho);
        const T r2 = radiusOf(shape + shapeValuesPerFormula, m2, theta);
        const T c = cos(theta) * r1, s = sin(theta);
        const T surface = r2 * sqrt(c * c + s * s);
        const T length = sqrt(rho * rho + q[2] * q[2]);
        return scale[0] * (length - surface);
    }
};

// The same for the toroidal surface, whose cross-section is star-shaped
// about the curve r1(phi): the gap within the point's half-plane of phi,
// along the ray from that curve's point through it.
struct ToricGap {
    template <class T>
    T operator()(const T* shape, const T* rotation, const T* translation, const T* scale,
                 const T* p, double m1, double m2) const {
        using std::atan2, std::sqrt;
        T q[3];
        toShapeFrame(p, rotation, translation, scale, q);
        const T rho = sqrt(q[0] * q[0] + q[1] * q[1] + T(1e-300));
        const T phi = atan2(q[1], q[0]);
        const T across = rho - radiusOf(shape, m1, phi);
        const T theta = atan2(q[2], across);
        const T r2 = radiusOf(shape + shapeValuesPerFormula, m2, theta);
        const T length = sqrt(across * across + q[2] * q[2] + T(1e-300));
        return scale[0] * (length - r2);
    }
};

// The slope is 1 / cos of the angle between the ray and the normal, never
// below 1; it is held to 2 so that a surface cannot shrink its distances by
// turning steep everywhere.
inline double heldSlope(double slope) {
    return std::isfinite(slope) ? std::clamp(slope, 1.0, 2.0) : 1.0;
}

// How fast the gap grows as the point moves, at the parameters' values:
// the length of its gradient with respect to the point (a 3-jet over the
// point's coordinates). 1 where the surface meets the ray at a right angle.
template <class Gap, class T>
double gapSlope(const Gap& gap, const T* shape, const T* rotation, const T* translation,
                const T* scale, const double* point, double m1, double m2) {
    using J = ceres::Jet<double, 3>;
    J s[shapeBlockSize], r[3], t[3], k[1], p[3];
    for (int i = 0; i < shapeBlockSize; ++i)
        s[i] = J(value(shape[i]));
    for (int i = 0; i < 3; ++i) {
        r[i] = J(value(rotation[i]));
        t[i] = J(value(translation[i]));
        p[i] = J(point[i], i);
    }
    k[0] = J(value(scale[0]));
    return heldSlope(gap(s, r, t, k, p, m1, m2).v.norm());
}

// The residual of one point: its radial gap divided by the gap's slope,
// the first-order distance from the point to the surface (as the gap of an
// implicit surface over its gradient). Unlike the inside-outside value it
// is a length everywhere, so neither flat nor pointed shapes are favoured,
// and unlike the bare radial gap it does not grow where the surface is
// oblique to the ray (the arms of a star). The slope is taken at the
// parameters' values, without its own derivatives: a weight renewed at
// every step.
template <class Gap> struct SurfaceResidual {
    double point[3];
    double m1, m2;

    template <class T>
    bool operator()(const T* shape, const T* rotation, const T* translation, const T* scale,
                    T* residual) const {
        const Gap gap;
        const T p[3] = {T(point[0]), T(point[1]), T(point[2])};
        const T g = gap(shape, rotation, translation, scale, p, m1, m2);
        if constexpr (std::is_same_v<T, double>) {
            residual[0] = g / gapSlope(gap, shape, rotation, translation, scale, point, m1, m2);
        } else {
            // The gap depends on the point only through p - translation, so
            // its gradient in the point is the translation's, negated: the
            // slope comes with the jet, without a second evaluation.
            residual[0] = g / heldSlope(g.v.template segment<3>(shapeBlockSize + 3).norm());
        }
        return true;
    }
};

using SphericResidual = SurfaceResidual<SphericGap>;
using ToricResidual = SurfaceResidual<ToricGap>;

} // namespace Vextal
