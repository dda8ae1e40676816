#pragma once

#include <cmath>

namespace Vextal {

// A value together with its first and second partial derivatives in two
// variables u and v: what the surface formulas give when they are evaluated
// on jets instead of doubles (forward automatic differentiation to second
// order). Derivatives are exact up to rounding, with no step size.
struct Jet {
    double value = 0, du = 0, dv = 0, duu = 0, duv = 0, dvv = 0;

    Jet() = default;
    Jet(double constant) : value(constant) {} // NOLINT: constants mix freely with jets
    Jet(double value, double du, double dv, double duu, double duv, double dvv)
        : value(value), du(du), dv(dv), duu(duu), duv(duv), dvv(dvv) {}

    // The variable u (or v) itself at a point.
    static Jet u(double at) { return {at, 1, 0, 0, 0, 0}; }
    static Jet v(double at) { return {at, 0, 1, 0, 0, 0}; }
};

inline Jet operator+(const Jet& a, const Jet& b) {
    return {a.value + b.value, a.du + b.du,   a.dv + b.dv,
            a.duu + b.duu,     a.duv + b.duv, a.dvv + b.dvv};
}
inline Jet operator-(const Jet& a, const Jet& b) {
    return {a.value - b.value, a.du - b.du,   a.dv - b.dv,
            a.duu - b.duu,     a.duv - b.duv, a.dvv - b.dvv};
}
inline Jet operator-(const Jet& a) {
    return {-a.value, -a.du, -a.dv, -a.duu, -a.duv, -a.dvv};
}
inline Jet operator*(const Jet& a, const Jet& b) {
    return {a.value * b.value,
            a.du * b.value + a.value * b.du,
            a.dv * b.value + a.value * b.dv,
            a.duu * b.value + 2 * a.du * b.du + a.value * b.duu,
            a.duv * b.value + a.du * b.dv + a.dv * b.du + a.value * b.duv,
            a.dvv * b.value + 2 * a.dv * b.dv + a.value * b.dvv};
}

// A function of one of the two variables alone, u (Axis 0) or v (Axis 1),
// with its first and second derivatives: what a ring (theta) or a column
// (phi) of a grid shares. Products of the two kinds make a Jet with fewer
// operations than Jets of their own would.
template <int Axis> struct LineJet {
    double value = 0, d = 0, dd = 0;

    operator Jet() const { // NOLINT: widens losslessly
        return Axis == 0 ? Jet{value, d, 0, dd, 0, 0} : Jet{value, 0, d, 0, 0, dd};
    }
};
using ThetaJet = LineJet<0>;
using PhiJet = LineJet<1>;

// The part of a Jet along its axis (the Jet must depend on that variable alone).
template <int Axis> LineJet<Axis> lineJetOf(const Jet& a) {
    if constexpr (Axis == 0)
        return {a.value, a.du, a.duu};
    else
        return {a.value, a.dv, a.dvv};
}

template <int Axis> LineJet<Axis> operator*(const LineJet<Axis>& a, const LineJet<Axis>& b) {
    return {a.value * b.value, a.d * b.value + a.value * b.d,
            a.dd * b.value + 2 * a.d * b.d + a.value * b.dd};
}
inline Jet operator*(const ThetaJet& a, const PhiJet& b) {
    return {a.value * b.value, a.d * b.value, a.value * b.d,
            a.dd * b.value,    a.d * b.d,     a.value * b.dd};
}
inline Jet operator*(const PhiJet& a, const ThetaJet& b) {
    return b * a;
}
inline Jet operator+(const ThetaJet& a, const PhiJet& b) {
    return {a.value + b.value, a.d, b.d, a.dd, 0, b.dd};
}
inline Jet operator+(const PhiJet& a, const ThetaJet& b) {
    return b + a;
}
template <int Axis> Jet operator*(const LineJet<Axis>& a, const Jet& b) {
    if constexpr (Axis == 0)
        return {a.value * b.value,
                a.d * b.value + a.value * b.du,
                a.value * b.dv,
                a.dd * b.value + 2 * a.d * b.du + a.value * b.duu,
                a.d * b.dv + a.value * b.duv,
                a.value * b.dvv};
    else
        return {a.value * b.value,
                a.value * b.du,
                a.d * b.value + a.value * b.dv,
                a.value * b.duu,
                a.d * b.du + a.value * b.duv,
                a.dd * b.value + 2 * a.d * b.dv + a.value * b.dvv};
}
template <int Axis> Jet operator*(const Jet& a, const LineJet<Axis>& b) {
    return b * a;
}

namespace jet_detail {

// g(a) for a function with g(x) = g0, g'(x) = g1, g''(x) = g2 at x = a.value.
// A term whose inner derivative is exactly zero is zero, even where g1 or g2
// is infinite: a constant stays a constant (|0|^0.5 of a zero sine term).
inline double times(double outer, double inner) {
    return inner == 0 ? 0 : outer * inner;
}
inline Jet chain(const Jet& a, double g0, double g1, double g2) {
    return {g0,
            times(g1, a.du),
            times(g1, a.dv),
            times(g2, a.du * a.du) + times(g1, a.duu),
            times(g2, a.du * a.dv) + times(g1, a.duv),
            times(g2, a.dv * a.dv) + times(g1, a.dvv)};
}

} // namespace jet_detail

inline Jet operator/(const Jet& a, const Jet& b) {
    const double inverse = 1 / b.value;
    return a * jet_detail::chain(b, inverse, -inverse * inverse, 2 * inverse * inverse * inverse);
}

inline Jet sin(const Jet& a) {
    const double s = std::sin(a.value), c = std::cos(a.value);
    return jet_detail::chain(a, s, c, -s);
}
inline Jet cos(const Jet& a) {
    const double s = std::sin(a.value), c = std::cos(a.value);
    return jet_detail::chain(a, c, -s, -c);
}
// The kink at 0 has no second derivative; the first is taken as +1 there.
inline Jet fabs(const Jet& a) {
    return a.value < 0 ? -a : a;
}
// a^p for a constant exponent p, as std::pow gives it for the value. The
// derivatives that vanish for p = 0 or 1 are zero even at a = 0.
inline Jet pow(const Jet& a, double p) {
    const double x = a.value;
    const double first = p == 0 ? 0 : p * std::pow(x, p - 1);
    const double second = p == 0 || p == 1 ? 0 : p * (p - 1) * std::pow(x, p - 2);
    return jet_detail::chain(a, std::pow(x, p), first, second);
}
inline Jet sqrt(const Jet& a) {
    const double root = std::sqrt(a.value);
    return jet_detail::chain(a, root, 0.5 / root, -0.25 / (root * a.value));
}

} // namespace Vextal
