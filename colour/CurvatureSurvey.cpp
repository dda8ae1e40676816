#include "colour/CurvatureSurvey.h"

#include "colour/GaussBonnetTotal.h"
#include "colour/VertexColouring.h"
#include "mesh/PolygonsIndexedNormal.h"

#include <array>
#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

namespace Vextal {

namespace {

struct Extremes {
    double low = std::numeric_limits<double>::quiet_NaN();
    double high = low;
    void add(double value) {
        if (std::isnan(low) || value < low)
            low = value;
        if (std::isnan(high) || value > high)
            high = value;
    }
};

// |x|^n has a kink at 0 for n <= 1; the term vanishes somewhere unless m = 0.
bool superformulaKinks(const std::array<float, 6>& c) {
    return c[3] != 0 && (c[1] <= 1 || c[2] <= 1);
}

bool hasKinks(const SceneValues& values) {
    return values.surface != SurfaceKind::harmonic && values.surface != SurfaceKind::formula &&
           (superformulaKinks(values.coef1) || superformulaKinks(values.coef2));
}

} // namespace

CurvatureSurvey surveyCurvature(const SceneValues& values, const PolygonsIndexedNormal& mesh) {
    CurvatureSurvey out;
    const std::vector<float> gaussian = vertexValues(values, mesh, ColourMode::gaussian);
    const std::vector<float> mean = vertexValues(values, mesh, ColourMode::mean);
    Extremes k, h;
    for (std::size_t i = 0; i < gaussian.size(); ++i) {
        if (std::isnan(gaussian[i]) || std::isnan(mean[i])) {
            ++out.pointsLeftOut;
            continue;
        }
        k.add(gaussian[i]);
        h.add(mean[i]);
    }
    out.gaussianMin = k.low;
    out.gaussianMax = k.high;
    out.meanMin = h.low;
    out.meanMax = h.high;
    // With kinks no refinement settles, and the total means nothing: one pass.
    const bool kinks = hasKinks(values);
    const GaussianTotal total = gaussianTotal(values, !kinks);
    out.gaussianTotal = total.total;
    out.gaussianTotalError = total.error;
    out.settled = total.settled;
    const double turns = out.gaussianTotal / (2 * std::numbers::pi);
    out.eulerCharacteristic = std::fabs(turns) < 1e9 ? std::lround(turns) : 0;
    // A total still moving says nothing either way: neither that curvature
    // is missing nor, below, that the topology differs.
    out.concentrated =
        kinks || (out.settled && !(std::fabs(turns - out.eulerCharacteristic) < 0.01));
    return out;
}

} // namespace Vextal
