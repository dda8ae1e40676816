#include "primitives/PrimitiveFormula.h"

#include "expression/ExpressionEvaluator.h"
#include "mesh/PolygonsIndexedNormal.h"
#include "mesh/VectorClones.h"

#include <algorithm>

namespace Vextal {

PrimitiveFormula::PrimitiveFormula() {
    closed = false;
    // Three zero coordinates until the file gives its own.
    setFormulas({"0", "0", "0"}, {1, 1, 1}, {1, 1, 1});
}

std::optional<ExpressionError> PrimitiveFormula::setFormulas(const std::string (&texts)[3],
                                                             const int (&lines)[3],
                                                             const int (&columns)[3]) {
    std::vector<std::string> names;
    for (const FormulaParameter& p : definition.parameters)
        names.push_back(p.name);
    ExprTree trees[3];
    for (int k = 0; k < 3; ++k) {
        ExprParse parsed = parseExpression(texts[k], names, {lines[k], columns[k]});
        if (parsed.error)
            return parsed.error;
        trees[k] = std::move(parsed.tree);
    }
    ExprCompile compiled = compileExpressions(trees, std::uint32_t(names.size()));
    if (compiled.error)
        return compiled.error;
    program = std::move(compiled.program);
    return std::nullopt;
}

std::vector<double> PrimitiveFormula::parameterValues() const {
    std::vector<double> values;
    for (const FormulaParameter& p : definition.parameters)
        values.push_back(p.value);
    return values;
}

// Row 0 is u = thetaMin, the last row thetaMax; between them u advances by
// repeated addition from thetaMin + step, as the rings of the built-in
// surfaces do.
std::vector<double> formulaRowValues(float low, float high, unsigned slices) {
    std::vector<double> u(slices + 1);
    const double step = (double(high) - double(low)) / slices;
    u[0] = low;
    double at = double(low) + step;
    for (unsigned i = 1; i < slices; ++i) {
        u[i] = at;
        at += step;
    }
    u[slices] = high;
    return u;
}

// Column j < rotations has the v of the built-in surfaces' column j; the
// last column is the range's end itself, so a surface that closes meets
// its first column there.
std::vector<double> formulaColumnValues(float low, float high, unsigned rotations) {
    std::vector<double> v(rotations + 1);
    const double step = (double(high) - double(low)) / rotations;
    double at = low;
    for (unsigned j = 0; j < rotations; ++j) {
        v[j] = at;
        at += step;
    }
    v[rotations] = high;
    return v;
}

ExprCompile compileDefinition(const FormulaDefinition& definition) {
    std::vector<std::string> names;
    for (const FormulaParameter& p : definition.parameters)
        names.push_back(p.name);
    ExprTree trees[3];
    const std::string* texts[3] = {&definition.x, &definition.y, &definition.z};
    for (int k = 0; k < 3; ++k) {
        ExprParse parsed = parseExpression(*texts[k], names);
        if (parsed.error) {
            ExprCompile failed;
            failed.error = std::move(parsed.error);
            return failed;
        }
        trees[k] = std::move(parsed.tree);
    }
    return compileExpressions(trees, std::uint32_t(names.size()));
}

namespace {

// One row of positions, rounded to float, from the row's three results.
VEXTAL_VECTOR_CLONES
void storeRow(const double* __restrict x, const double* __restrict y, const double* __restrict z,
              std::uint32_t columns, Vec3* __restrict out) {
    for (std::uint32_t j = 0; j < columns; ++j)
        out[j] = {float(x[j]), float(y[j]), float(z[j])};
}

// Row i's cells: the two triangles of each wind as a ring grid's band does.
VEXTAL_VECTOR_CLONES
void writeCellRow(std::uint32_t i, std::uint32_t columns, Triangle* __restrict cell) {
    for (std::uint32_t j = 0; j + 1 < columns; ++j) {
        const std::uint32_t a = i * columns + j, b = a + columns;
        cell[2 * j] = {a, b, b + 1};
        cell[2 * j + 1] = {a, b + 1, a + 1};
    }
}

} // namespace

GridCounts formulaGridCounts(unsigned slices, unsigned rotations) {
    if (slices < 1 || rotations < 1)
        return {0, 0};
    return {(slices + 1) * (rotations + 1), 2 * slices * rotations};
}

void PrimitiveFormula::tessellateGrid(PolygonsIndexedNormal& mesh, GridSize size,
                                      const Workers& workers) const {
    const GridCounts counts = formulaGridCounts(size.slices, size.rotations);
    mesh.allocate(counts.vertexCount, counts.triangleCount);
    if (counts.vertexCount == 0)
        return;
    const std::uint32_t rows = size.slices + 1, columns = size.rotations + 1;
    const std::vector<double> u = formulaRowValues(thetaMin, thetaMax, size.slices),
                              v = formulaColumnValues(phiMin, phiMax, size.rotations);
    const std::vector<double> parameters = parameterValues();
    Vec3* vertices = mesh.vertices;
    Triangle* triangles = mesh.triangles;
    const std::uint32_t minBlock = std::max<std::uint32_t>(1, (1u << 16) / columns);
    // What depends on v alone is worked out once; each block starts from a
    // copy, so that many blocks cost no more than one.
    ExprGridEvaluator<double> started(program, columns);
    started.start(time, parameters, v.data());
    forEachBlock(workers, rows, minBlock, [&](std::uint32_t first, std::uint32_t end) {
        ExprGridEvaluator<double> evaluator = started;
        for (std::uint32_t i = first; i < end; ++i) {
            evaluator.row(u[i]);
            const double *x = evaluator.result(0), *y = evaluator.result(1),
                         *z = evaluator.result(2);
            storeRow(x, y, z, columns, vertices + std::size_t(i) * columns);
            if (i + 1 < rows)
                writeCellRow(i, columns, triangles + std::size_t(i) * 2 * (columns - 1));
        }
    });
    mesh.markSheet(columns);
}

Vec3 PrimitiveFormula::position(const GridSample& sample) const {
    ExprGridEvaluator<double> evaluator(program, 1);
    evaluator.start(time, parameterValues(), &sample.phi);
    evaluator.row(sample.theta);
    return {float(evaluator.result(0)[0]), float(evaluator.result(1)[0]),
            float(evaluator.result(2)[0])};
}

} // namespace Vextal
