#pragma once

#include "scene/SceneValues.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace Vextal {

using FitPoint = std::array<double, 3>;

// What a fit may be told: the surface, orders and numbers held fixed, the
// loss, the threads and the key of the random choices (the sample the
// starts are tried on).
struct SurfaceFitOptions {
    SurfaceKind surface = SurfaceKind::spheric;
    std::optional<int> symmetry; // the order m of phi, when known
    // Numbers held at a value: "coef1.n1" .. "coef2.b", "coef1.m", "coef2.m".
    std::vector<std::pair<std::string, double>> fixed;
    bool robust = false;
    int threads = 1;
    std::uint64_t randomKey = 1; // what the random choices start from
    int startSample = 300;       // points every start is tried on
    // Points the last round is solved on: a uniform sample of larger sets,
    // whose distances are still measured over every point.
    int refineSample = 20000;
    int maxIterations = 250; // of the last rounds
    // Told the share of the starts done, from any thread, in order.
    std::function<void(double)> progress;
    // When given and set (by another thread), the fit ends soon after,
    // unsolved, with the error "stopped".
    const std::atomic<bool>* stop = nullptr;
};

// How well a surface fits: distances from the points to it, in the points'
// units.
struct FitDistances {
    double rms = 0, largest = 0;
    double withinOnePercent = 0; // share of points within 1% of the size
    double size = 0;             // the diagonal of the points' bounding box
};

struct SurfaceFitResult {
    bool solved = false; // false: error says why, nothing else holds
    std::string error;
    bool converged = false; // the solver met its tolerance
    SceneValues scene;      // the surface, its grid and its pose
    FitDistances distances;
    int iterations = 0; // of the solver, over every start and the refinement
    int starts = 0;
    double seconds = 0;
    std::string solverMessage;
};

// Names a --fix may hold, and whether a name is one of them.
bool isFixableName(const std::string& name);

// Fits the surface to the points (at least 10 that are finite and not all
// on a plane). The points are not changed.
SurfaceFitResult fitSurface(const std::vector<FitPoint>& points, const SurfaceFitOptions& options);

// The diagonal of the points' bounding box: 0 for none.
double pointsSize(const std::vector<FitPoint>& points);

// The distances of the points to a surface given as scene values, as the
// fit measures them. When `stop` is given and set, a typed surface's (the
// slow ones) end soon after with some points unmeasured.
FitDistances measureFit(const std::vector<FitPoint>& points, const SceneValues& scene,
                        const std::atomic<bool>* stop = nullptr);

// Each point's distance, as measureFit takes them: unsigned, infinite where
// the surface gives none; to the closest point for the superformula and
// typed surfaces.
std::vector<double> pointDistances(const std::vector<FitPoint>& points, const SceneValues& scene,
                                   const std::atomic<bool>* stop = nullptr);

} // namespace Vextal
