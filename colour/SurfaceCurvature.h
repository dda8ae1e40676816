#pragma once

#include "colour/Jet.h"
#include "primitives/SurfaceFormulas.h"
#include "primitives/SurfaceValues.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

namespace Vextal {

// What the formula gives along one angle, with its derivatives: sin and cos
// of the angle and the surface's radius function of it.
template <class AngleJet> struct AngleJets { AngleJet sine, cosine, radius; };

// The curvatures at one point, and the area element sqrt(E G - F^2). The
// mean curvature is positive on a sphere with outward normals. Where the
// derivatives do not span a tangent plane (a pole of the parametrisation, a
// sharp tip), or barely, the curvatures are NaN.
struct Curvature {
    double gaussian;
    double mean;
    double areaElement;
};

// The phi parts of a row of points, one array per quantity, so that a row
// goes on vector registers.
struct PhiColumns {
    std::vector<double> sine[3], cosine[3], radius[3]; // value, first, second derivative

    void push(const AngleJets<PhiJet>& jets);
    std::uint32_t count() const { return std::uint32_t(sine[0].size()); }
    AngleJets<PhiJet> operator[](std::size_t j) const {
        return {{sine[0][j], sine[1][j], sine[2][j]},
                {cosine[0][j], cosine[1][j], cosine[2][j]},
                {radius[0][j], radius[1][j], radius[2][j]}};
    }
};

// A row of curvatures, one array per quantity.
struct CurvatureRow {
    std::vector<double> gaussian, mean, areaElement;
    explicit CurvatureRow(std::size_t count) : gaussian(count), mean(count), areaElement(count) {}
};

// The selected surface of a scene's values as a formula that can be
// differentiated: u is theta, v is phi. The surface combines a theta part
// and a phi part, so a grid works the angles out once per ring and once per
// column, then combines them per point (curvatureRow).
class SurfaceDerivatives {
public:
    explicit SurfaceDerivatives(const SceneValues& values);

    AngleJets<ThetaJet> atTheta(double theta) const;
    AngleJets<PhiJet> atPhi(double phi) const;
    SurfacePoint<Jet> point(const AngleJets<ThetaJet>& theta, const AngleJets<PhiJet>& phi) const;

    // The curvature at one ring's theta and each column's phi.
    void curvatureRow(const AngleJets<ThetaJet>& theta, const PhiColumns& columns,
                      CurvatureRow& out) const;

private:
    SceneValues values;
    SuperShapeCoefficients coef1, coef2;
    SuperShapeDerived derived1, derived2;
};

// The first fundamental form E, F, G and the second L, M, N against the
// normal n = Xu x Xv, which points inwards on all three surfaces (their
// triangles run the other way round): with it the usual
// H = (E N - 2 F M + G L) / 2 (E G - F^2) is positive on a sphere. With n
// not normalised, |n|^2 = E G - F^2 and L = Xuu.n / |n|, so K takes no root.
inline Curvature curvatureOf(const SurfacePoint<Jet>& s) {
    const double xu[3] = {s.x.du, s.y.du, s.z.du}, xv[3] = {s.x.dv, s.y.dv, s.z.dv};
    const double n[3] = {xu[1] * xv[2] - xu[2] * xv[1], xu[2] * xv[0] - xu[0] * xv[2],
                         xu[0] * xv[1] - xu[1] * xv[0]};
    const double e = xu[0] * xu[0] + xu[1] * xu[1] + xu[2] * xu[2];
    const double f = xu[0] * xv[0] + xu[1] * xv[1] + xu[2] * xv[2];
    const double g = xv[0] * xv[0] + xv[1] * xv[1] + xv[2] * xv[2];
    const double areaSquared = n[0] * n[0] + n[1] * n[1] + n[2] * n[2];
    const double l = s.x.duu * n[0] + s.y.duu * n[1] + s.z.duu * n[2];
    const double m = s.x.duv * n[0] + s.y.duv * n[1] + s.z.duv * n[2];
    const double nn = s.x.dvv * n[0] + s.y.dvv * n[1] + s.z.dvv * n[2];
    const double area = std::sqrt(areaSquared);
    // Tangents that barely span a plane: a pole of the parametrisation (the
    // float angle of a pole may lie a rounding past it, where the orientation
    // has turned), or a sharp tip. Written without a branch, so that a row
    // of points goes on vector registers.
    const double spoilt = area > 1e-6 * (e + g) ? 0.0 : std::numeric_limits<double>::quiet_NaN();
    const double gaussian = (l * nn - m * m) / (areaSquared * areaSquared);
    const double mean = (e * nn - 2 * f * m + g * l) / (2 * areaSquared * area);
    return {gaussian + spoilt, mean + spoilt, area};
}

// The curvature of the values' surface at (theta, phi).
Curvature curvatureAt(const SceneValues& values, double theta, double phi);

} // namespace Vextal
