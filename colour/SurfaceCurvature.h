#pragma once

#include "colour/Jet.h"
#include "primitives/SurfaceFormulas.h"
#include "scene/SceneValues.h"

namespace Vextal {

// What the formula gives along one angle, with its derivatives: sin and cos
// of the angle and the surface's radius function of it.
struct AngleJets {
    Jet sine, cosine, radius;
};

// The selected surface of a scene's values as a formula that can be
// differentiated: u is theta, v is phi. The surface is a product of a theta
// part and a phi part, so a grid works the angles out once per ring and
// once per column, then combines them per point.
class SurfaceDerivatives {
public:
    explicit SurfaceDerivatives(const SceneValues& values);

    AngleJets atTheta(double theta) const;
    AngleJets atPhi(double phi) const;
    SurfacePoint<Jet> point(const AngleJets& theta, const AngleJets& phi) const;

private:
    SceneValues values;
    SuperShapeCoefficients coef1, coef2;
    SuperShapeDerived derived1, derived2;
};

// The curvatures at one point, and the area element sqrt(E G - F^2). The
// mean curvature is positive on a sphere with outward normals. Where the
// derivatives do not span a tangent plane (a pole of the parametrisation, a
// sharp tip), or barely, the curvatures are NaN.
struct Curvature {
    double gaussian;
    double mean;
    double areaElement;
};
Curvature curvatureOf(const SurfacePoint<Jet>& point);

// The curvature of the values' surface at (theta, phi).
Curvature curvatureAt(const SceneValues& values, double theta, double phi);

} // namespace Vextal
