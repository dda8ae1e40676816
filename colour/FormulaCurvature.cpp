#include "colour/FormulaCurvature.h"

#include "colour/SurfaceCurvature.h"
#include "expression/ExpressionEvaluator.h"
#include "primitives/PrimitiveFormula.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace Vextal {

namespace {

std::vector<double> parameterValuesOf(const SceneValues& values) {
    std::vector<double> out;
    for (const FormulaParameter& p : values.formula.parameters)
        out.push_back(p.value);
    return out;
}

// One row of curvatures at u over the evaluator's columns.
void curvatureRowAt(ExprGridEvaluator<Jet>& evaluator, double u, std::uint32_t columns,
                    CurvatureRow& row) {
    evaluator.row(u);
    const Jet *x = evaluator.result(0), *y = evaluator.result(1), *z = evaluator.result(2);
    for (std::uint32_t j = 0; j < columns; ++j) {
        const Curvature k = curvatureOf({x[j], y[j], z[j]});
        row.gaussian[j] = k.gaussian;
        row.mean[j] = k.mean;
        row.areaElement[j] = k.areaElement;
    }
}

float finiteOrNan(double value) {
    const float f = static_cast<float>(value);
    return std::isfinite(f) ? f : std::numeric_limits<float>::quiet_NaN();
}

} // namespace

void formulaCurvatureValues(const SceneValues& values, std::uint32_t rows, std::uint32_t columns,
                            bool gaussian, float* out, const Workers& workers) {
    const ExprCompile compiled = compileDefinition(values.formula);
    if (compiled.error || rows < 2 || columns < 2) {
        std::fill_n(out, std::size_t(rows) * columns, std::numeric_limits<float>::quiet_NaN());
        return;
    }
    const std::vector<double> u = formulaRowValues(values.thetaMin, values.thetaMax, rows - 1);
    const std::vector<double> v = formulaColumnValues(values.phiMin, values.phiMax, columns - 1);
    const std::vector<double> parameters = parameterValuesOf(values);
    const std::uint32_t minBlock = std::max<std::uint32_t>(1, (1u << 14) / columns);
    // What depends on v alone once; each block starts from a copy.
    ExprGridEvaluator<Jet> started(compiled.program, columns);
    started.start(values.formula.time, parameters, v.data());
    forEachBlock(workers, rows, minBlock, [&](std::uint32_t first, std::uint32_t end) {
        ExprGridEvaluator<Jet> evaluator = started;
        CurvatureRow row(columns);
        for (std::uint32_t i = first; i < end; ++i) {
            curvatureRowAt(evaluator, u[i], columns, row);
            const std::vector<double>& k = gaussian ? row.gaussian : row.mean;
            for (std::uint32_t j = 0; j < columns; ++j)
                out[std::size_t(i) * columns + j] = finiteOrNan(k[j]);
        }
    });
}

namespace {

// Eight-point Gauss-Legendre on `panels` panels along each parameter.
double gaussLegendreTotal(const ExprProgram& program, const SceneValues& values, int panels) {
    static constexpr double nodes[8] = {
        -0.9602898564975363, -0.7966664774136267, -0.5255324099163290, -0.1834346424956498,
        0.1834346424956498,  0.5255324099163290,  0.7966664774136267,  0.9602898564975363};
    static constexpr double weights[8] = {
        0.1012285362903763, 0.2223810344533745, 0.3137066458778873, 0.3626837833783620,
        0.3626837833783620, 0.3137066458778873, 0.2223810344533745, 0.1012285362903763};
    const auto samples = [panels](double low, double high, std::vector<double>& at,
                                  std::vector<double>& weight) {
        const double width = (high - low) / panels;
        for (int panel = 0; panel < panels; ++panel)
            for (int i = 0; i < 8; ++i) {
                at.push_back(low + (panel + 0.5) * width + 0.5 * width * nodes[i]);
                weight.push_back(0.5 * std::fabs(width) * weights[i]);
            }
    };
    std::vector<double> us, uWeights, vs, vWeights;
    samples(values.thetaMin, values.thetaMax, us, uWeights);
    samples(values.phiMin, values.phiMax, vs, vWeights);
    ExprGridEvaluator<Jet> evaluator(program, vs.size());
    evaluator.start(values.formula.time, parameterValuesOf(values), vs.data());
    CurvatureRow row(vs.size());
    double total = 0;
    for (std::size_t i = 0; i < us.size(); ++i) {
        curvatureRowAt(evaluator, us[i], std::uint32_t(vs.size()), row);
        double sum = 0;
        for (std::size_t j = 0; j < vs.size(); ++j) {
            const double term = row.gaussian[j] * row.areaElement[j];
            if (std::isfinite(term))
                sum += term * vWeights[j];
        }
        total += sum * uWeights[i];
    }
    return total;
}

} // namespace

GaussianTotal formulaGaussianTotal(const SceneValues& values) {
    const ExprCompile compiled = compileDefinition(values.formula);
    if (compiled.error)
        return {std::numeric_limits<double>::quiet_NaN(), 0, false, 0};
    constexpr int panels = 48;
    const double fine = gaussLegendreTotal(compiled.program, values, panels);
    const double coarse = gaussLegendreTotal(compiled.program, values, panels / 2);
    const double error = std::fabs(fine - coarse);
    const std::uint64_t points = std::uint64_t(8 * 8) * (panels * panels + panels * panels / 4);
    return {fine, error, error <= settledTurns * 2 * std::numbers::pi, points};
}

} // namespace Vextal
