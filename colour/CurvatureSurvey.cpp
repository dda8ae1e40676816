#include "colour/CurvatureSurvey.h"

#include "colour/SurfaceCurvature.h"
#include "colour/VertexColouring.h"
#include "mesh/PolygonsIndexedNormal.h"

#include <array>
#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

namespace Vextal {

namespace {

constexpr int order = 8;   // Gauss-Legendre points a panel
constexpr int panels = 48; // panels along each angle

struct Rule {
    std::array<double, order> nodes{}, weights{}; // on -1..1
};

// The roots of the Legendre polynomial of the order by Newton's method, and
// their weights.
Rule gaussLegendre() {
    Rule rule;
    for (int i = 0; i < order; ++i) {
        double x = std::cos(std::numbers::pi * (i + 0.75) / (order + 0.5));
        double derivative = 0;
        for (int step = 0; step < 100; ++step) {
            double p0 = 1, p1 = x;
            for (int k = 2; k <= order; ++k) {
                const double p2 = ((2 * k - 1) * x * p1 - (k - 1) * p0) / k;
                p0 = p1;
                p1 = p2;
            }
            derivative = order * (x * p1 - p0) / (x * x - 1);
            const double next = x - p1 / derivative;
            const bool settled = std::fabs(next - x) < 1e-16;
            x = next;
            if (settled)
                break;
        }
        rule.nodes[i] = x;
        rule.weights[i] = 2 / ((1 - x * x) * derivative * derivative);
    }
    return rule;
}

// Nodes and weights of the composite rule over low..high, weights positive
// whichever way the range runs.
struct Samples {
    std::vector<double> at, weight;
};
Samples samplesOver(double low, double high, const Rule& rule) {
    Samples out;
    const double width = (high - low) / panels;
    for (int panel = 0; panel < panels; ++panel) {
        const double middle = low + (panel + 0.5) * width;
        for (int i = 0; i < order; ++i) {
            out.at.push_back(middle + 0.5 * width * rule.nodes[i]);
            out.weight.push_back(0.5 * std::fabs(width) * rule.weights[i]);
        }
    }
    return out;
}

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
    return values.surface != SurfaceKind::harmonic &&
           (superformulaKinks(values.coef1) || superformulaKinks(values.coef2));
}

} // namespace

double gaussianTotal(const SceneValues& values) {
    const Rule rule = gaussLegendre();
    const Samples thetas = samplesOver(values.thetaMin, values.thetaMax, rule);
    const Samples phis = samplesOver(values.phiMin, values.phiMax, rule);
    const SurfaceDerivatives surface(values);
    PhiColumns columns;
    for (double phi : phis.at)
        columns.push(surface.atPhi(phi));
    CurvatureRow row(columns.count());
    double total = 0;
    for (std::size_t i = 0; i < thetas.at.size(); ++i) {
        surface.curvatureRow(surface.atTheta(thetas.at[i]), columns, row);
        double sum = 0;
        for (std::size_t j = 0; j < columns.count(); ++j) {
            const double term = row.gaussian[j] * row.areaElement[j];
            if (std::isfinite(term))
                sum += term * phis.weight[j];
        }
        total += sum * thetas.weight[i];
    }
    return total;
}

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
    out.gaussianTotal = gaussianTotal(values);
    const double turns = out.gaussianTotal / (2 * std::numbers::pi);
    out.eulerCharacteristic = std::fabs(turns) < 1e9 ? std::lround(turns) : 0;
    out.concentrated = hasKinks(values) || !(std::fabs(turns - out.eulerCharacteristic) < 0.01);
    return out;
}

} // namespace Vextal
