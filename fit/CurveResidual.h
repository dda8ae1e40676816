#pragma once

#include "fit/SurfaceResidual.h"

#include <algorithm>
#include <cmath>

namespace Vextal {

// The curve's gap at a point: the distance, in the points' units, from the
// point to the curve along the ray from the curve's centre through it. The
// curve r(phi) is star-shaped about its centre, so that point is found from
// the direction alone. Blocks: shape (n1 n2 n3 a b), rotation (1), centre
// (2), scale (1).
struct CurveGap {
    template <class T>
    T operator()(const T* shape, const T* rotation, const T* centre, const T* scale, const T* p,
                 double m) const {
        using std::atan2, std::cos, std::sin, std::sqrt;
        const T dx = p[0] - centre[0], dy = p[1] - centre[1];
        const T c = cos(rotation[0]), s = sin(rotation[0]);
        const T x = (c * dx + s * dy) / scale[0];
        const T y = (c * dy - s * dx) / scale[0];
        const T rho = sqrt(x * x + y * y + T(1e-300));
        return scale[0] * (rho - radiusOf(shape, m, atan2(y, x)));
    }
};

// The largest slope a gap is divided by: 1 / cos of the angle between the
// ray and the curve's normal, held so that a curve cannot shrink its
// distances by turning nearly along the rays everywhere (a wild zigzag). A
// curve's flanks are steeper than a surface's on the whole (a star's arms),
// so the limit lies above the surface's.
inline constexpr double curveSlopeLimit = 6;

// The residual of one point: the gap divided by its slope (the length of its
// gradient with respect to the point, taken at the parameters' values as a
// weight renewed every step), the first-order distance to the curve.
struct CurveResidual {
    double point[2];
    double m;

    template <class T>
    bool operator()(const T* shape, const T* rotation, const T* centre, const T* scale,
                    T* residual) const {
        const CurveGap gap;
        const T p[2] = {T(point[0]), T(point[1])};
        residual[0] =
            gap(shape, rotation, centre, scale, p, m) / slope(gap, shape, rotation, centre, scale);
        return true;
    }

    template <class T>
    double slope(const CurveGap& gap, const T* shape, const T* rotation, const T* centre,
                 const T* scale) const {
        using J = ceres::Jet<double, 2>;
        J s[shapeValuesPerFormula], r[1], c[2], k[1], p[2];
        for (int i = 0; i < shapeValuesPerFormula; ++i)
            s[i] = J(value(shape[i]));
        r[0] = J(value(rotation[0]));
        k[0] = J(value(scale[0]));
        for (int i = 0; i < 2; ++i) {
            c[i] = J(value(centre[i]));
            p[i] = J(point[i], i);
        }
        const double length = gap(s, r, c, k, p, m).v.norm();
        return std::isfinite(length) ? std::clamp(length, 1.0, curveSlopeLimit) : 1.0;
    }
};

} // namespace Vextal
