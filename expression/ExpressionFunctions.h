#pragma once

#include "colour/Jet.h"
#include "expression/ExpressionTree.h"
#include "primitives/SuperShapeCoefficients.h"
#include "primitives/SurfaceFormulas.h"

#include <cmath>

namespace Vextal {

// The functions of the expression language on doubles and on jets. The
// double versions are the standard library's; the jet versions carry the
// first and second derivatives along by the chain rule.

namespace expression_detail {

// f(a, b) for f = f0 with first partials fa, fb and second faa, fab, fbb at
// (a.value, b.value).
inline Jet chain2(const Jet& a, const Jet& b, double f0, double fa, double fb, double faa,
                  double fab, double fbb) {
    return {f0,
            fa * a.du + fb * b.du,
            fa * a.dv + fb * b.dv,
            faa * a.du * a.du + 2 * fab * a.du * b.du + fbb * b.du * b.du + fa * a.duu + fb * b.duu,
            faa * a.du * a.dv + fab * (a.du * b.dv + a.dv * b.du) + fbb * b.du * b.dv + fa * a.duv +
                fb * b.duv,
            faa * a.dv * a.dv + 2 * fab * a.dv * b.dv + fbb * b.dv * b.dv + fa * a.dvv +
                fb * b.dvv};
}

inline bool isConstant(const Jet& a) {
    return a.du == 0 && a.dv == 0 && a.duu == 0 && a.duv == 0 && a.dvv == 0;
}

// NaN wins, so that a formula undefined somewhere shows it there.
inline double minimum(double a, double b) {
    return a != a || b != b ? a + b : (b < a ? b : a);
}
inline double maximum(double a, double b) {
    return a != a || b != b ? a + b : (b > a ? b : a);
}

} // namespace expression_detail

// a / b whose value is the double division's, as the positions have it.
inline double quotient(double a, double b) {
    return a / b;
}
inline Jet quotient(const Jet& a, const Jet& b) {
    Jet q = a / b;
    q.value = a.value / b.value;
    return q;
}

inline Jet tan(const Jet& a) {
    const double t = std::tan(a.value), s = 1 + t * t;
    return jet_detail::chain(a, t, s, 2 * t * s);
}
inline Jet asin(const Jet& a) {
    const double x = a.value, r = 1 / std::sqrt(1 - x * x);
    return jet_detail::chain(a, std::asin(x), r, x * r * r * r);
}
inline Jet acos(const Jet& a) {
    const double x = a.value, r = 1 / std::sqrt(1 - x * x);
    return jet_detail::chain(a, std::acos(x), -r, -x * r * r * r);
}
inline Jet atan(const Jet& a) {
    const double x = a.value, r = 1 / (1 + x * x);
    return jet_detail::chain(a, std::atan(x), r, -2 * x * r * r);
}
inline Jet atan2(const Jet& y, const Jet& x) {
    const double r2 = x.value * x.value + y.value * y.value, r4 = r2 * r2;
    // Partials in y first, then x.
    return expression_detail::chain2(y, x, std::atan2(y.value, x.value), x.value / r2,
                                     -y.value / r2, -2 * x.value * y.value / r4,
                                     (y.value * y.value - x.value * x.value) / r4,
                                     2 * x.value * y.value / r4);
}
inline Jet sinh(const Jet& a) {
    const double s = std::sinh(a.value), c = std::cosh(a.value);
    return jet_detail::chain(a, s, c, s);
}
inline Jet cosh(const Jet& a) {
    const double s = std::sinh(a.value), c = std::cosh(a.value);
    return jet_detail::chain(a, c, s, c);
}
inline Jet tanh(const Jet& a) {
    const double t = std::tanh(a.value), s = 1 - t * t;
    return jet_detail::chain(a, t, s, -2 * t * s);
}
inline Jet exp(const Jet& a) {
    const double e = std::exp(a.value);
    return jet_detail::chain(a, e, e, e);
}
inline Jet log(const Jet& a) {
    const double r = 1 / a.value;
    return jet_detail::chain(a, std::log(a.value), r, -r * r);
}
// a^b with both varying: the value is std::pow's; a constant exponent takes
// the exact rule of colour/Jet.h, which stays defined at a = 0.
inline Jet pow(const Jet& a, const Jet& b) {
    if (expression_detail::isConstant(b))
        return pow(a, b.value);
    const double x = a.value, p = b.value, f = std::pow(x, p), l = std::log(x);
    if (expression_detail::isConstant(a))
        return jet_detail::chain(b, f, f * l, f * l * l);
    return expression_detail::chain2(a, b, f, p * std::pow(x, p - 1), f * l,
                                     p * (p - 1) * std::pow(x, p - 2),
                                     std::pow(x, p - 1) * (1 + p * l), f * l * l);
}
inline Jet min(const Jet& a, const Jet& b) {
    return a.value != a.value || b.value != b.value ? a + b : (b.value < a.value ? b : a);
}
inline Jet max(const Jet& a, const Jet& b) {
    return a.value != a.value || b.value != b.value ? a + b : (b.value > a.value ? b : a);
}

// The superformula's radius at an angle, from six numbers as a scene's
// "coef1" line gives them: rounded to float and derived as the built-in
// surfaces store them, then the built-in surfaces' very formula.
struct SuperformulaShape {
    SuperShapeCoefficients coefficients;
    SuperShapeDerived derived;
};
inline SuperformulaShape superformulaShape(const double* six) {
    const SuperShapeCoefficients c{float(six[0]), float(six[1]), float(six[2]),
                                   float(six[3]), float(six[4]), float(six[5])};
    return {c, derive(c)};
}

} // namespace Vextal
