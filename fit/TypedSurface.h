#pragma once

#include "expression/ExpressionEvaluator.h"
#include "fit/SurfaceFit.h"

#include <array>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace Vextal {

// A typed surface x(u, v), y(u, v), z(u, v) as a fit evaluates it: one point
// at a time, at parameter values the fit chooses, with its u and v ranges
// and whether it closes along each.
struct TypedSurface {
    std::shared_ptr<const ExprProgram> program;
    double time = 0;
    double uLow = 0, uHigh = 0, vLow = 0, vHigh = 0;
    // Closes along u (the ends of the u range meet): u needs no bounds.
    bool uCloses = false, vCloses = false;
};

// The compiled surface of a typed scene, or why it has none.
std::optional<TypedSurface> typedSurfaceOf(const SceneValues& scene, std::string& error);

// Evaluates one surface point; holds its own slots, so one per thread.
class TypedPointEvaluator {
public:
    explicit TypedPointEvaluator(const TypedSurface& surface);
    std::array<double, 3> at(std::span<const double> parameters, double u, double v);
    // The point and its partials in u and v.
    void withDerivatives(std::span<const double> parameters, double u, double v, double* point,
                         double* du, double* dv);

private:
    const TypedSurface* surface;
    ExprGridEvaluator<double> values;
    ExprGridEvaluator<Jet> jets;
};

// Where a point of the surface's own frame is closest to the surface: the
// nearest vertex of a grid, then Gauss-Newton steps in u and v held in
// their ranges (Ceres' small solver has no bounds). Returns the distance.
struct ClosestPoint {
    double u = 0, v = 0, distance = 0;
};
class TypedGrid {
public:
    TypedGrid(const TypedSurface& surface, std::span<const double> parameters, int steps);
    // The nearest vertex's u and v to q.
    ClosestPoint nearest(const std::array<double, 3>& q) const;
    const std::vector<std::array<double, 3>>& vertices() const { return points; }

private:
    std::vector<std::array<double, 3>> points;
    std::vector<std::array<double, 2>> at;
};
ClosestPoint closestPoint(TypedPointEvaluator& evaluator, const TypedSurface& surface,
                          std::span<const double> parameters, const std::array<double, 3>& q,
                          ClosestPoint from);

} // namespace Vextal
