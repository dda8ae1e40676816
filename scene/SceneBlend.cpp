#include "scene/SceneBlend.h"

#include <cmath>

namespace Vextal {

namespace {

// The ends are the scenes' own values, even where a value is infinite.
float blend(float from, float to, double along) {
    if (along <= 0)
        return from;
    if (along >= 1)
        return to;
    return float(double(from) + (double(to) - double(from)) * along);
}

int blendCount(int from, int to, double along) {
    return int(std::lround(double(from) + (double(to) - double(from)) * along));
}

template <std::size_t N>
std::array<float, N> blend(const std::array<float, N>& from, const std::array<float, N>& to,
                           double along) {
    std::array<float, N> mixed{};
    for (std::size_t k = 0; k < N; ++k)
        mixed[k] = blend(from[k], to[k], along);
    return mixed;
}

} // namespace

bool sameFormulas(const SceneValues& a, const SceneValues& b) {
    if (a.formula.x != b.formula.x || a.formula.y != b.formula.y || a.formula.z != b.formula.z ||
        a.formula.parameters.size() != b.formula.parameters.size())
        return false;
    for (std::size_t k = 0; k < a.formula.parameters.size(); ++k)
        if (a.formula.parameters[k].name != b.formula.parameters[k].name)
            return false;
    return true;
}

SceneValues blendValues(const SceneValues& from, const SceneValues& to, double along) {
    SceneValues mixed = from;
    mixed.sliceCount = blendCount(from.sliceCount, to.sliceCount, along);
    mixed.rotateCount = blendCount(from.rotateCount, to.rotateCount, along);
    mixed.phiMin = blend(from.phiMin, to.phiMin, along);
    mixed.phiMax = blend(from.phiMax, to.phiMax, along);
    mixed.thetaMin = blend(from.thetaMin, to.thetaMin, along);
    mixed.thetaMax = blend(from.thetaMax, to.thetaMax, along);
    mixed.coef1 = blend(from.coef1, to.coef1, along);
    mixed.coef2 = blend(from.coef2, to.coef2, along);
    mixed.coefh = blend(from.coefh, to.coefh, along);
    if (sameFormulas(from, to))
        for (std::size_t k = 0; k < mixed.formula.parameters.size(); ++k) {
            FormulaParameter& p = mixed.formula.parameters[k];
            const FormulaParameter& q = to.formula.parameters[k];
            p.value = blend(p.value, q.value, along);
            p.low = blend(p.low, q.low, along);
            p.high = blend(p.high, q.high, along);
        }
    return mixed;
}

} // namespace Vextal
