#pragma once

#include "fit/SurfaceFit.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace Vextal {

using CurvePoint = std::array<double, 2>;

// A superformula curve placed in the plane: the outline's points are
// centre + scale * R(rotation) * r(phi) (cos phi, sin phi).
struct PlacedCurve {
    double n1 = 2, n2 = 2, n3 = 2, m = 4, a = 1, b = 1;
    double rotation = 0; // radians, counter-clockwise
    CurvePoint centre{};
    double scale = 1;
};

// What a curve fit may be told, as a surface fit is.
struct CurveFitOptions {
    std::optional<int> symmetry; // the order m, when known
    // Numbers held at a value: "coef1.n1" .. "coef1.b", "coef1.m" (the curve
    // is the written scene's coef1).
    std::vector<std::pair<std::string, double>> fixed;
    bool robust = false;
    int threads = 1;
    std::uint64_t randomKey = 1;          // what the random choices start from
    int startSample = 200;                // points each start is tried on
    int refineSample = 20000;             // points the best starts are refined on
    int maxIterations = 200;              // of the refinement
    std::function<void(double)> progress; // the share of the starts done
};

struct CurveFitResult {
    bool solved = false; // false: error says why, nothing else holds
    std::string error;
    bool converged = false;
    PlacedCurve curve;
    FitDistances distances; // size: the diagonal of the points' bounding box
    int iterations = 0;
    int starts = 0;
    double seconds = 0;
    std::string solverMessage;
};

// Whether a --fix name is one a curve fit holds.
bool isCurveFixableName(const std::string& name);

// Fits the curve to the points (at least 10 finite ones, not all on a line).
CurveFitResult fitCurve(const std::vector<CurvePoint>& points, const CurveFitOptions& options);

// The points' distances to the curve, as the fit measures them.
FitDistances measureCurveFit(const std::vector<CurvePoint>& points, const PlacedCurve& curve);

// The curve's point at the angle phi of its own frame, in the points' units.
CurvePoint curvePointAt(const PlacedCurve& curve, double phi);

// The scene whose coef1 is the curve and coef2 a circle: a spheric surface
// whose equator, placed by its pose, is the curve.
SceneValues curveScene(const PlacedCurve& curve);

} // namespace Vextal
