#pragma once

#include "expression/ExpressionProgram.h"
#include "primitives/FormulaDefinition.h"
#include "primitives/PrimitiveParametric.h"

#include <optional>
#include <vector>

namespace Vextal {

// A surface typed as formulas x(u, v), y(u, v), z(u, v). u runs over
// thetaMin..thetaMax in sliceCount intervals, v over phiMin..phiMax in
// rotateCount intervals; the grid holds both ends of both ranges, so it is an
// open sheet of (slices + 1) x (rotations + 1) vertices whatever "close"
// says, and a surface that closes has its seams joined by a weld. Row i has
// the u a ring of the built-in surfaces has (the same additions), and column
// j the v of column j, so a formula the built-ins share gives their bits.
class PrimitiveFormula : public PrimitiveParametric {
public:
    PrimitiveFormula();

    // Compiles x, y and z over the parameters defined so far; the first error
    // if one of them cannot be, and the program left as it was.
    std::optional<ExpressionError> setFormulas(const std::string (&texts)[3], const int (&lines)[3],
                                               const int (&columns)[3]);

    void tessellateGrid(PolygonsIndexedNormal& mesh, GridSize grid,
                        const Workers& workers) const override;

    double radiusPhi(double) const override { return 0; }
    double radiusTheta(double) const override { return 0; }
    // The point at u = sample.theta, v = sample.phi.
    Vec3 position(const GridSample& sample) const override;

    FormulaDefinition definition;
    ExprProgram program;
    double time = 0; // t
    // The parameters' values as the program reads them.
    std::vector<double> parameterValues() const;
};

// The u of each row of a grid of `slices` intervals over low..high, and the
// v of each column of `rotations` intervals.
std::vector<double> formulaRowValues(float low, float high, unsigned slices);
std::vector<double> formulaColumnValues(float low, float high, unsigned rotations);

// The program of a definition's three expressions, or the first error.
ExprCompile compileDefinition(const FormulaDefinition& definition);

// The rectangle's vertex and triangle counts for a grid.
GridCounts formulaGridCounts(unsigned slices, unsigned rotations);

} // namespace Vextal
