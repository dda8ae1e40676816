#include "fit/TypedSurface.h"

#include "primitives/PrimitiveFormula.h"

#include <algorithm>
#include <cmath>

namespace Vextal {

namespace {

double distanceSquared(const std::array<double, 3>& a, const double* b) {
    const double x = a[0] - b[0], y = a[1] - b[1], z = a[2] - b[2];
    return x * x + y * y + z * z;
}

std::vector<double> valuesOf(const FormulaDefinition& definition) {
    std::vector<double> values;
    for (const FormulaParameter& p : definition.parameters)
        values.push_back(p.value);
    return values;
}

} // namespace

std::optional<TypedSurface> typedSurfaceOf(const SceneValues& scene, std::string& error) {
    if (scene.surface != SurfaceKind::formula) {
        error = "not a typed surface";
        return std::nullopt;
    }
    ExprCompile compiled = compileDefinition(scene.formula);
    if (compiled.error) {
        error = "its formulas do not compile";
        return std::nullopt;
    }
    TypedSurface s;
    s.program = std::make_shared<const ExprProgram>(std::move(compiled.program));
    s.time = scene.formula.time;
    s.uLow = scene.thetaMin;
    s.uHigh = scene.thetaMax;
    s.vLow = scene.phiMin;
    s.vHigh = scene.phiMax;
    // A surface closes along u where the ends of the range meet for every v
    // tried (and so for v): there u runs on past the range's end without
    // bounds, so a point near the seam is not held on its wrong side.
    TypedPointEvaluator evaluator(s);
    const std::vector<double> values = valuesOf(scene.formula);
    double extent = 0, gapU = 0, gapV = 0;
    for (int k = 0; k <= 6; ++k) {
        const double v = s.vLow + (s.vHigh - s.vLow) * k / 6.0,
                     u = s.uLow + (s.uHigh - s.uLow) * k / 6.0;
        const auto a = evaluator.at(values, s.uLow, v), b = evaluator.at(values, s.uHigh, v);
        const auto c = evaluator.at(values, u, s.vLow), d = evaluator.at(values, u, s.vHigh);
        gapU = std::max(gapU, std::sqrt(distanceSquared(a, b.data())));
        gapV = std::max(gapV, std::sqrt(distanceSquared(c, d.data())));
        for (const auto& p : {a, b, c, d})
            extent = std::max(extent, std::hypot(p[0], p[1], p[2]));
    }
    s.uCloses = std::isfinite(gapU) && gapU <= 1e-6 * extent;
    s.vCloses = std::isfinite(gapV) && gapV <= 1e-6 * extent;
    return s;
}

TypedPointEvaluator::TypedPointEvaluator(const TypedSurface& surface)
    : surface(&surface), values(*surface.program, 1), jets(*surface.program, 1) {}

std::array<double, 3> TypedPointEvaluator::at(std::span<const double> parameters, double u,
                                              double v) {
    values.start(surface->time, parameters, &v);
    values.row(u);
    return {values.result(0)[0], values.result(1)[0], values.result(2)[0]};
}

void TypedPointEvaluator::withDerivatives(std::span<const double> parameters, double u, double v,
                                          double* point, double* du, double* dv) {
    jets.start(surface->time, parameters, &v);
    jets.row(u);
    for (int k = 0; k < 3; ++k) {
        const Jet& j = jets.result(std::size_t(k))[0];
        point[k] = j.value;
        du[k] = j.du;
        dv[k] = j.dv;
    }
}

TypedGrid::TypedGrid(const TypedSurface& surface, std::span<const double> parameters, int steps) {
    TypedPointEvaluator evaluator(surface);
    for (int i = 0; i <= steps; ++i)
        for (int j = 0; j <= steps; ++j) {
            const double u = surface.uLow + (surface.uHigh - surface.uLow) * i / steps;
            const double v = surface.vLow + (surface.vHigh - surface.vLow) * j / steps;
            const auto p = evaluator.at(parameters, u, v);
            if (std::isfinite(p[0]) && std::isfinite(p[1]) && std::isfinite(p[2])) {
                points.push_back(p);
                at.push_back({u, v});
            }
        }
}

ClosestPoint TypedGrid::nearest(const std::array<double, 3>& q) const {
    ClosestPoint best;
    double lowest = HUGE_VAL;
    for (std::size_t k = 0; k < points.size(); ++k)
        if (const double d = distanceSquared(q, points[k].data()); d < lowest) {
            lowest = d;
            best = {at[k][0], at[k][1], std::sqrt(d)};
        }
    return best;
}

ClosestPoint closestPoint(TypedPointEvaluator& evaluator, const TypedSurface& surface,
                          std::span<const double> parameters, const std::array<double, 3>& q,
                          ClosestPoint from) {
    ClosestPoint at = from;
    const auto hold = [&](double& u, double& v) {
        if (!surface.uCloses)
            u = std::clamp(u, surface.uLow, surface.uHigh);
        if (!surface.vCloses)
            v = std::clamp(v, surface.vLow, surface.vHigh);
    };
    double p[3], du[3], dv[3];
    evaluator.withDerivatives(parameters, at.u, at.v, p, du, dv);
    at.distance = std::sqrt(distanceSquared(q, p));
    for (int step = 0; step < 30 && at.distance > 0; ++step) {
        // Gauss-Newton on |X(u, v) - q|^2 with a little damping; a step that
        // does not bring the point closer is halved until it does.
        double a = 0, b = 0, c = 0, gu = 0, gv = 0;
        for (int k = 0; k < 3; ++k) {
            const double r = p[k] - q[k];
            a += du[k] * du[k];
            b += du[k] * dv[k];
            c += dv[k] * dv[k];
            gu += du[k] * r;
            gv += dv[k] * r;
        }
        const double damp = 1e-12 * (a + c) + 1e-300;
        const double det = (a + damp) * (c + damp) - b * b;
        if (!(std::fabs(det) > 0))
            break;
        double su = -((c + damp) * gu - b * gv) / det, sv = -((a + damp) * gv - b * gu) / det;
        bool better = false;
        for (int half = 0; half < 20 && !better; ++half, su *= 0.5, sv *= 0.5) {
            double u = at.u + su, v = at.v + sv;
            hold(u, v);
            double np[3], ndu[3], ndv[3];
            evaluator.withDerivatives(parameters, u, v, np, ndu, ndv);
            const double d = std::sqrt(distanceSquared(q, np));
            if (d < at.distance) {
                better = true;
                const double moved = std::fabs(u - at.u) + std::fabs(v - at.v);
                at = {u, v, d};
                std::copy(np, np + 3, p);
                std::copy(ndu, ndu + 3, du);
                std::copy(ndv, ndv + 3, dv);
                if (moved < 1e-13)
                    return at;
            }
        }
        if (!better)
            break;
    }
    return at;
}

} // namespace Vextal
