#include "primitives/SuperShapeCoefficients.h"

#include "primitives/SurfaceFormulas.h"

namespace Vextal {

SuperShapeDerived derive(const SuperShapeCoefficients& c) {
    return {static_cast<float>(1.0 / double(c.a)), static_cast<float>(1.0 / double(c.b)),
            static_cast<float>(-1.0 / double(c.n1))};
}

double superformulaRadius(const SuperShapeCoefficients& c, const SuperShapeDerived& d, double w) {
    return superformulaRadiusOf(c, d, w);
}

} // namespace Vextal
