#include "primitives/SuperShapeCoefficients.h"

#include <cmath>

namespace Vextal {

SuperShapeDerived derive(const SuperShapeCoefficients& c) {
    return {static_cast<float>(1.0 / double(c.a)), static_cast<float>(1.0 / double(c.b)),
            static_cast<float>(-1.0 / double(c.n1))};
}

double superformulaRadius(const SuperShapeCoefficients& c, const SuperShapeDerived& d, double w) {
    const double u = (double(c.m) * w) * 0.25;
    const double sineTerm = std::pow(std::fabs(std::sin(u) * double(d.invB)), double(c.n3));
    const double cosineTerm = std::pow(std::fabs(std::cos(u) * double(d.invA)), double(c.n2));
    return std::pow(cosineTerm + sineTerm, double(d.negInvN1));
}

} // namespace Vextal
