#include "colour/GaussBonnetTotal.h"

#include "colour/FormulaCurvature.h"

#include "colour/SurfaceCurvature.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <vector>

namespace Vextal {

namespace {

// The 15-point Kronrod rule on -1..1 and the 7-point Gauss rule it extends
// (the Gauss nodes are every other Kronrod node): the half from -1 to 0, the
// other half mirrored.
constexpr std::array<double, 8> kronrodNodes = {
    0.991455371120812639206854697526329, 0.949107912342758524526189684047851,
    0.864864423359769072789712788640926, 0.741531185599394439863864773280788,
    0.586087235467691130294144845693013, 0.405845151377397166906606412076961,
    0.207784955007898467600689403773245, 0.0};
constexpr std::array<double, 8> kronrodWeights = {
    0.022935322010529224963732008058970, 0.063092092629978553290700663189204,
    0.104790010322250183839876322541518, 0.140653259715525918745189590510238,
    0.169004726639267902826583426598550, 0.190350578064785409913256402421014,
    0.204432940075298892414161999234649, 0.209482141084727828012999174891714};
constexpr std::array<double, 8> gaussWeights = {
    0, 0.129484966168869693270611432679082, 0, 0.279705391489276667901467771423780,
    0, 0.381830050505118944950369775488975, 0, 0.417959183673469387755102040816327};

constexpr int nodesPerPanel = 15;
constexpr int startingPanels = 16;
constexpr std::uint64_t pointBudget = std::uint64_t(1) << 22;

struct Panel {
    double low, high;
};

// A panel's nodes, its Kronrod weights and those weights less the Gauss
// ones; weights positive whichever way the range runs.
struct PanelRule {
    std::array<double, nodesPerPanel> at, kronrod, difference;
};
PanelRule ruleOf(const Panel& panel) {
    PanelRule rule;
    const double middle = 0.5 * (panel.low + panel.high);
    const double half = 0.5 * (panel.high - panel.low);
    for (int i = 0; i < nodesPerPanel; ++i) {
        const int k = i < 8 ? i : nodesPerPanel - 1 - i;
        rule.at[i] = middle + (i < 8 ? -half : half) * kronrodNodes[k];
        rule.kronrod[i] = std::fabs(half) * kronrodWeights[k];
        rule.difference[i] = std::fabs(half) * (kronrodWeights[k] - gaussWeights[k]);
    }
    return rule;
}

std::vector<Panel> evenPanels(double low, double high) {
    std::vector<Panel> panels;
    const double width = (high - low) / startingPanels;
    for (int k = 0; k < startingPanels; ++k)
        panels.push_back({low + k * width, k + 1 == startingPanels ? high : low + (k + 1) * width});
    return panels;
}

// What one theta node gives over one phi panel: the Kronrod sum over the
// panel's phi nodes, and the Kronrod less Gauss sum.
struct Sums {
    double kronrod = 0, difference = 0;
};

// The phi nodes of some panels, ready for rows of curvature.
struct PhiSet {
    PhiColumns columns;
    std::vector<PanelRule> rules;
};
PhiSet phiSetOf(const SurfaceDerivatives& surface, const std::vector<Panel>& panels) {
    PhiSet set;
    for (const Panel& panel : panels) {
        set.rules.push_back(ruleOf(panel));
        for (double phi : set.rules.back().at)
            set.columns.push(surface.atPhi(phi));
    }
    return set;
}

// The sums of one theta node over every panel of the set.
std::vector<Sums> rowSums(const SurfaceDerivatives& surface, double theta, const PhiSet& set,
                          std::uint64_t& points) {
    CurvatureRow row(set.columns.count());
    surface.curvatureRow(surface.atTheta(theta), set.columns, row);
    points += set.columns.count();
    std::vector<Sums> sums(set.rules.size());
    for (std::size_t q = 0; q < set.rules.size(); ++q)
        for (int j = 0; j < nodesPerPanel; ++j) {
            const std::size_t column = q * nodesPerPanel + std::size_t(j);
            const double term = row.gaussian[column] * row.areaElement[column];
            if (std::isfinite(term)) {
                sums[q].kronrod += set.rules[q].kronrod[j] * term;
                sums[q].difference += set.rules[q].difference[j] * term;
            }
        }
    return sums;
}

// A theta panel with its rows: for each of its nodes, the sums over every
// phi panel in order.
struct ThetaStrip {
    Panel panel;
    PanelRule rule;
    std::array<std::vector<Sums>, nodesPerPanel> rows;
};

ThetaStrip stripOf(const SurfaceDerivatives& surface, const Panel& panel, const PhiSet& phis,
                   std::uint64_t& points) {
    ThetaStrip strip{panel, ruleOf(panel), {}};
    for (int i = 0; i < nodesPerPanel; ++i)
        strip.rows[i] = rowSums(surface, strip.rule.at[i], phis, points);
    return strip;
}

struct Estimate {
    double total = 0, error = 0;
    std::vector<double> thetaErrors, phiErrors;
};

// The total, and each panel's share of the error: a phi panel's is what the
// Gauss rule along phi misses there, summed over theta; a theta panel's what
// the Gauss rule along theta misses, summed over phi.
Estimate estimate(const std::vector<ThetaStrip>& strips, std::size_t phiPanels) {
    Estimate out;
    out.phiErrors.assign(phiPanels, 0);
    for (const ThetaStrip& strip : strips) {
        double thetaError = 0;
        for (std::size_t q = 0; q < phiPanels; ++q) {
            double alongTheta = 0;
            for (int i = 0; i < nodesPerPanel; ++i) {
                const Sums& s = strip.rows[i][q];
                out.total += strip.rule.kronrod[i] * s.kronrod;
                out.phiErrors[q] += strip.rule.kronrod[i] * std::fabs(s.difference);
                alongTheta += strip.rule.difference[i] * s.kronrod;
            }
            thetaError += std::fabs(alongTheta);
        }
        out.thetaErrors.push_back(thetaError);
    }
    for (double e : out.thetaErrors)
        out.error += e;
    for (double e : out.phiErrors)
        out.error += e;
    return out;
}

// The panels to halve: the largest shares of the error until they make half
// of it, so each round spends its points where they count.
void choosePanels(const Estimate& e, std::vector<bool>& splitTheta, std::vector<bool>& splitPhi) {
    struct Share {
        double error;
        bool theta;
        std::size_t index;
    };
    std::vector<Share> shares;
    for (std::size_t p = 0; p < e.thetaErrors.size(); ++p)
        shares.push_back({e.thetaErrors[p], true, p});
    for (std::size_t q = 0; q < e.phiErrors.size(); ++q)
        shares.push_back({e.phiErrors[q], false, q});
    std::sort(shares.begin(), shares.end(),
              [](const Share& a, const Share& b) { return a.error > b.error; });
    splitTheta.assign(e.thetaErrors.size(), false);
    splitPhi.assign(e.phiErrors.size(), false);
    double chosen = 0;
    for (const Share& share : shares) {
        if (chosen >= 0.5 * e.error)
            break;
        (share.theta ? splitTheta : splitPhi)[share.index] = true;
        chosen += share.error;
    }
}

std::vector<Panel> halves(const Panel& panel) {
    const double middle = 0.5 * (panel.low + panel.high);
    return {{panel.low, middle}, {middle, panel.high}};
}

class AdaptiveTotal {
public:
    explicit AdaptiveTotal(const SceneValues& values) : surface(values) {
        phiPanels = evenPanels(values.phiMin, values.phiMax);
        const PhiSet phis = phiSetOf(surface, phiPanels);
        for (const Panel& panel : evenPanels(values.thetaMin, values.thetaMax))
            strips.push_back(stripOf(surface, panel, phis, points));
    }

    Estimate estimated() const { return estimate(strips, phiPanels.size()); }
    std::uint64_t pointsSpent() const { return points; }

    // Halves the chosen panels; only the rows and columns they bring are
    // evaluated.
    void refine(const std::vector<bool>& splitTheta, const std::vector<bool>& splitPhi) {
        std::vector<Panel> nextPhi, freshPhi;
        std::vector<int> from; // per next phi panel: the old index kept, or -1
        for (std::size_t q = 0; q < phiPanels.size(); ++q) {
            if (!splitPhi[q]) {
                nextPhi.push_back(phiPanels[q]);
                from.push_back(int(q));
                continue;
            }
            for (const Panel& half : halves(phiPanels[q])) {
                nextPhi.push_back(half);
                freshPhi.push_back(half);
                from.push_back(-1);
            }
        }
        const PhiSet fresh = phiSetOf(surface, freshPhi);
        const PhiSet all = phiSetOf(surface, nextPhi);
        std::vector<ThetaStrip> next;
        for (std::size_t p = 0; p < strips.size(); ++p) {
            if (splitTheta[p]) {
                for (const Panel& half : halves(strips[p].panel))
                    next.push_back(stripOf(surface, half, all, points));
                continue;
            }
            ThetaStrip& strip = strips[p];
            if (!freshPhi.empty())
                for (int i = 0; i < nodesPerPanel; ++i)
                    strip.rows[i] = merged(strip.rows[i], from,
                                           rowSums(surface, strip.rule.at[i], fresh, points));
            next.push_back(std::move(strip));
        }
        strips = std::move(next);
        phiPanels = std::move(nextPhi);
    }

private:
    static std::vector<Sums> merged(const std::vector<Sums>& old, const std::vector<int>& from,
                                    const std::vector<Sums>& fresh) {
        std::vector<Sums> out;
        std::size_t k = 0;
        for (int q : from)
            out.push_back(q >= 0 ? old[std::size_t(q)] : fresh[k++]);
        return out;
    }

    SurfaceDerivatives surface;
    std::vector<Panel> phiPanels;
    std::vector<ThetaStrip> strips;
    std::uint64_t points = 0;
};

} // namespace

GaussianTotal gaussianTotal(const SceneValues& values, bool refine) {
    if (values.surface == SurfaceKind::formula)
        return formulaGaussianTotal(values);
    const double tolerance = settledTurns * 2 * std::numbers::pi;
    AdaptiveTotal grid(values);
    Estimate e = grid.estimated();
    while (refine && e.error > tolerance && grid.pointsSpent() < pointBudget) {
        std::vector<bool> splitTheta, splitPhi;
        choosePanels(e, splitTheta, splitPhi);
        grid.refine(splitTheta, splitPhi);
        e = grid.estimated();
    }
    return {e.total, e.error, e.error <= tolerance, grid.pointsSpent()};
}

} // namespace Vextal
