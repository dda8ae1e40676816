#pragma once

namespace Vextal {

// The six numbers of one superformula, in the order a "coef1"/"coef2" line
// lists them.
struct SuperShapeCoefficients {
    float n1;
    float n2;
    float n3;
    float m;
    float a;
    float b;
};

// Reciprocals the radius function reads instead of n1, a and b. Whoever stores
// a coefficient record stores its derived record with it (derive()).
struct SuperShapeDerived {
    float invA;
    float invB;
    float negInvN1;
};

// 1/a, 1/b and -1/n1, each worked out in double precision and rounded to float.
// Zero inputs give infinities, which the surface then carries.
SuperShapeDerived derive(const SuperShapeCoefficients& coefficients);

// r(w) = (|cos(m w / 4) / a|^n2 + |sin(m w / 4) / b|^n3)^(-1/n1), with the
// divisions and the outer exponent taken from the derived record.
double superformulaRadius(const SuperShapeCoefficients& coefficients,
                          const SuperShapeDerived& derived, double w);

} // namespace Vextal
