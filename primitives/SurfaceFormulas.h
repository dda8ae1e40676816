#pragma once

#include "mesh/Vec3.h"
#include "primitives/SuperShapeCoefficients.h"

#include <cmath>
#include <type_traits>

namespace Vextal {

// The surfaces' formulas, written once for any number type: double for the
// tessellation, and a type that carries derivatives along (colour/Jet.h) for
// the curvature, so that both read the very same formula. The functions of
// std:: are found for double; those of the number type by its namespace.

template <class T> struct SurfacePoint { T x, y, z; };

inline Vec3 toVec3(const SurfacePoint<double>& p) {
    return {static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.z)};
}

// r(w) = (|cos(m w / 4) / a|^n2 + |sin(m w / 4) / b|^n3)^(-1/n1), with the
// divisions and the outer exponent taken from the derived record.
// The coefficients are of a type P of their own: double for a surface's
// fixed record, or the derivative-carrying type of a fit that varies them.
template <class T, class P>
T superformulaRadiusWith(const P& m, const P& invA, const P& invB, const P& n2, const P& n3,
                         const P& negInvN1, const T& w) {
    using std::cos, std::fabs, std::pow, std::sin;
    const T u = (m * w) * 0.25;
    const T sineTerm = pow(fabs(sin(u) * invB), n3);
    const T cosineTerm = pow(fabs(cos(u) * invA), n2);
    return pow(cosineTerm + sineTerm, negInvN1);
}

template <class T>
T superformulaRadiusOf(const SuperShapeCoefficients& c, const SuperShapeDerived& d, const T& w) {
    return superformulaRadiusWith(double(c.m), double(d.invA), double(d.invB), double(c.n2),
                                  double(c.n3), double(d.negInvN1), w);
}

// sin(m0 w)^m1 + cos(m2 w)^m3. No absolute values: a negative base with a
// fractional exponent gives NaN, which the surface carries.
template <class T> T harmonicRadiusOf(float m0, float m1, float m2, float m3, const T& w) {
    using std::cos, std::pow, std::sin;
    return pow(sin(double(m0) * w), double(m1)) + pow(cos(double(m2) * w), double(m3));
}

// The point functions take the theta quantities as one type and the phi
// ones as another, so that a type that knows it depends on theta alone can
// meet one that depends on phi alone; with doubles both are double.

// The spheric superformula's point from the sines, cosines and radii of its
// two angles: t = cos(theta) * (rPhi * rTheta), z = sin(theta) * rTheta.
template <class A, class B>
auto sphericPointOf(const A& sinTheta, const A& cosTheta, const A& rTheta, const B& sinPhi,
                    const B& cosPhi, const B& rPhi) {
    const auto t = cosTheta * (rPhi * rTheta);
    return SurfacePoint<std::remove_cvref_t<decltype(t)>>{cosPhi * t, sinPhi * t,
                                                          sinTheta * rTheta};
}

// The toroidal one: t = rPhi + rTheta * cos(theta), z = sin(theta) * rTheta.
template <class A, class B>
auto toricPointOf(const A& sinTheta, const A& cosTheta, const A& rTheta, const B& sinPhi,
                  const B& cosPhi, const B& rPhi) {
    const auto t = rPhi + rTheta * cosTheta;
    return SurfacePoint<std::remove_cvref_t<decltype(t)>>{cosPhi * t, sinPhi * t,
                                                          sinTheta * rTheta};
}

// The tessellation rounds the harmonic's radius to float before it scales the
// direction; a derivative-carrying type keeps it whole.
inline double harmonicRadiusRounding(double r) {
    return static_cast<float>(r);
}
template <class T> T harmonicRadiusRounding(const T& r) {
    return r;
}

// The spherical harmonic's point, theta measured from the z axis:
// r = rPhi + rTheta, t = sin(theta) * r.
template <class A, class B>
auto harmonicPointOf(const A& sinTheta, const A& cosTheta, const A& rTheta, const B& sinPhi,
                     const B& cosPhi, const B& rPhi) {
    const auto r = harmonicRadiusRounding(rPhi + rTheta);
    const auto t = sinTheta * r;
    return SurfacePoint<std::remove_cvref_t<decltype(r)>>{sinPhi * t, cosPhi * t, cosTheta * r};
}

} // namespace Vextal
