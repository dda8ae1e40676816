#include "fit/SurfaceFit.h"

#include "fit/ClosestSurfacePoint.h"
#include "fit/FitStarts.h"
#include "fit/FitStopped.h"
#include "fit/FittedPose.h"
#include "fit/HarmonicFit.h"
#include "fit/PointSample.h"
#include "fit/SurfaceResidual.h"
#include "fit/TypedSurfaceFit.h"
#include "scene/SceneCommands.h"

#include <ceres/ceres.h>
#include <glog/logging.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <numbers>
#include <random>
#include <thread>

namespace Vextal {

namespace {

constexpr const char* fixableNames[] = {"coef1.n1", "coef1.n2", "coef1.n3", "coef1.a", "coef1.b",
                                        "coef2.n1", "coef2.n2", "coef2.n3", "coef2.a", "coef2.b"};

int fixedIndex(const std::string& name) {
    for (int k = 0; k < shapeBlockSize; ++k)
        if (name == fixableNames[k])
            return k;
    return -1;
}

ceres::CostFunction* residualFor(SurfaceKind surface, const FitPoint& p, double m1, double m2) {
    if (surface == SurfaceKind::toric)
        return new ceres::AutoDiffCostFunction<ToricResidual, 1, shapeBlockSize, 3, 3, 1>(
            new ToricResidual{{p[0], p[1], p[2]}, m1, m2});
    return new ceres::AutoDiffCostFunction<SphericResidual, 1, shapeBlockSize, 3, 3, 1>(
        new SphericResidual{{p[0], p[1], p[2]}, m1, m2});
}

// Stops the solver once the points lie on the surface to within a millionth
// of its size (coordinates read as floats hold little more),
// where the relative tolerances would let it run to its iteration limit.
class CloseEnough : public ceres::IterationCallback {
public:
    CloseEnough(std::size_t points, double size) : limit(0.5 * double(points) * sq(1e-6 * size)) {}
    ceres::CallbackReturnType operator()(const ceres::IterationSummary& summary) override {
        return summary.cost < limit ? ceres::SOLVER_TERMINATE_SUCCESSFULLY : ceres::SOLVER_CONTINUE;
    }

private:
    static double sq(double v) { return v * v; }
    double limit;
};

// Stops the solver once ten iterations together lowered the cost by less
// than 1e-4 of it: the RMS distance then moves by less than 1/20000 of
// itself, far below the noise of any scan. Noisy points leave a long flat valley (the formula's
// numbers trade against one another), where each step still gains more than the per-step tolerance
// and the solver would crawl to its iteration limit.
class Levelled : public ceres::IterationCallback {
public:
    ceres::CallbackReturnType operator()(const ceres::IterationSummary& summary) override {
        costs.push_back(summary.cost);
        const std::size_t n = costs.size();
        if (n > span && costs[n - 1 - span] - costs[n - 1] <= 1e-4 * costs[n - 1])
            return ceres::SOLVER_TERMINATE_SUCCESSFULLY;
        return ceres::SOLVER_CONTINUE;
    }

private:
    static constexpr std::size_t span = 10;
    std::vector<double> costs;
};

struct Solved {
    FitStart start;
    double cost = 0;
    int iterations = 0;
    bool converged = false;
    std::string message;
};

// Solves one start over the points, in place.
Solved solve(const FitStart& from, const std::vector<FitPoint>& points,
             const SurfaceFitOptions& options, double size, int iterations, int threads) {
    Solved out;
    out.start = from;
    FitStart& s = out.start;
    ceres::Problem::Options problemOptions;
    problemOptions.loss_function_ownership = ceres::DO_NOT_TAKE_OWNERSHIP;
    ceres::Problem problem(problemOptions);
    // Cauchy's loss grows only with the log of a far point's distance, so
    // outliers hardly pull; its scale is a small share of the shape's size.
    ceres::CauchyLoss cauchy(0.01 * size);
    ceres::LossFunction* loss = options.robust ? &cauchy : nullptr;
    for (const FitPoint& p : points)
        problem.AddResidualBlock(residualFor(options.surface, p, s.m1, s.m2), loss, s.shape.data(),
                                 s.rotation.data(), s.translation.data(), &s.scale);
    // The whole surface grows with the pose's scale and, nearly, with one of
    // the divisors (exactly so when n2 = n3): that divisor is held at its start
    // unless the user holds it, else the two drift together into a valley of
    // equal shapes (the spheric one's theta a, the toroidal one's phi a).
    std::vector<int> held{options.surface == SurfaceKind::toric ? 3 : 8};
    for (const auto& [name, value] : options.fixed)
        if (const int k = fixedIndex(name); k >= 0) {
            s.shape[k] = value;
            held.push_back(k);
        }
    std::sort(held.begin(), held.end());
    held.erase(std::unique(held.begin(), held.end()), held.end());
    if (int(held.size()) == shapeBlockSize)
        problem.SetParameterBlockConstant(s.shape.data());
    else if (!held.empty())
        problem.SetManifold(s.shape.data(), new ceres::SubsetManifold(shapeBlockSize, held));
    for (int k = 0; k < shapeBlockSize; ++k) {
        // Exponents beyond these give powers past the doubles' range on the
        // way, and a or b near zero divides by it; no shape needs them. n2
        // and n3 may reach 0, where a term is 1: some curves are that
        // exactly (an ellipse is also (1 + |sin(u) / b'|^2)^(-1/2)), and a
        // bound above it held fits in a valley just short of them.
        // An n1 below 0 (petals) stays below it, since the radius's power
        // -1/n1 passes through infinity at 0.
        const int within = k % shapeValuesPerFormula;
        if (within == 0 && s.shape[k] < 0) {
            problem.SetParameterLowerBound(s.shape.data(), k, -60.0);
            problem.SetParameterUpperBound(s.shape.data(), k, -0.1);
            continue;
        }
        problem.SetParameterLowerBound(s.shape.data(), k,
                                       within == 0  ? 0.1
                                       : within < 3 ? 0.0
                                                    : 0.05);
        problem.SetParameterUpperBound(s.shape.data(), k, k % 5 < 3 ? 60.0 : 20.0);
    }
    problem.SetParameterLowerBound(&s.scale, 0, 1e-6 * size);
    ceres::Solver::Options solverOptions;
    solverOptions.linear_solver_type = ceres::DENSE_NORMAL_CHOLESKY;
    solverOptions.max_num_iterations = iterations;
    solverOptions.num_threads = threads;
    solverOptions.logging_type = ceres::SILENT;
    solverOptions.function_tolerance = 1e-9;
    solverOptions.parameter_tolerance = 1e-9;
    CloseEnough closeEnough(points.size(), size);
    solverOptions.callbacks.push_back(&closeEnough);
    Levelled levelled;
    solverOptions.callbacks.push_back(&levelled);
    Stopped stopped(options.stop);
    solverOptions.callbacks.push_back(&stopped);
    ceres::Solver::Summary summary;
    ceres::Solve(solverOptions, &problem, &summary);
    out.cost = summary.IsSolutionUsable() ? summary.final_cost : HUGE_VAL;
    if (!std::isfinite(out.cost))
        out.cost = HUGE_VAL;
    out.iterations = int(summary.iterations.size());
    out.converged = summary.termination_type == ceres::CONVERGENCE ||
                    summary.termination_type == ceres::USER_SUCCESS;
    out.message = summary.message;
    return out;
}

// Runs every start on the sample, among the threads; each result lands in
// its own slot, so the outcome does not depend on the thread count.
std::vector<Solved> tryStarts(const std::vector<FitStart>& starts,
                              const std::vector<FitPoint>& sample, const SurfaceFitOptions& options,
                              double size, int iterations, double progressFrom,
                              double progressSpan) {
    std::vector<Solved> tried(starts.size());
    for (Solved& t : tried)
        t.cost = HUGE_VAL; // a start never tried, when stopped
    std::atomic<std::size_t> next{0}, done{0};
    // Fewer starts than threads: each solve shares the points among them.
    const int threads = std::max(1, options.threads);
    const int pool = std::min(threads, int(starts.size()));
    const int within = std::max(1, threads / std::max(1, pool));
    const auto work = [&] {
        for (std::size_t k; (k = next++) < starts.size() && !stopAsked(options);) {
            tried[k] = solve(starts[k], sample, options, size, iterations, within);
            const std::size_t finished = ++done;
            if (options.progress)
                options.progress(progressFrom +
                                 progressSpan * double(finished) / double(starts.size()));
        }
    };
    std::vector<std::thread> helpers;
    for (int t = 1; t < pool; ++t)
        helpers.emplace_back(work);
    work();
    for (std::thread& thread : helpers)
        thread.join();
    return tried;
}

// The indices of the `count` lowest costs, lowest first; ties in order.
std::vector<std::size_t> bestFirst(const std::vector<Solved>& tried, std::size_t count) {
    std::vector<std::size_t> order(tried.size());
    for (std::size_t k = 0; k < order.size(); ++k)
        order[k] = k;
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return tried[a].cost < tried[b].cost; });
    order.resize(std::min(count, order.size()));
    return order;
}

// One round of the search: the best `keep` of the candidates so far (all
// of them in the first round) go `steps` more steps on a sample of
// `points`. Each round is cheap where it must try many candidates and
// thorough where few are left.
struct Round {
    std::size_t keep;
    int points;
    int steps;
};

std::vector<Round> roundsOf(const SurfaceFitOptions& options, std::size_t starts) {
    const int fewer = std::min(options.refineSample, 4 * options.startSample);
    // More starts (a scan from one side) keep more of them after the
    // first round: a few steps on few points rank their valleys roughly.
    return {{SIZE_MAX, options.startSample, 8},
            {std::max<std::size_t>(12, starts / 16), 4 * options.startSample, 10},
            {4, 4 * options.startSample, 30},
            {2, fewer, options.maxIterations},
            {1, options.refineSample, options.maxIterations}};
}

// Runs the rounds from the starts; none when no start got a finite cost.
// A candidate's iterations add up over the rounds it went through.
std::optional<Solved> bestOfRounds(const std::vector<FitStart>& starts,
                                   const std::vector<FitPoint>& points,
                                   const SurfaceFitOptions& options, double size) {
    const std::vector<Round> rounds = roundsOf(options, starts.size());
    // The progress told is the share of the rounds' work done: candidates
    // times points times steps.
    std::vector<double> work;
    std::size_t candidates = starts.size();
    for (const Round& round : rounds) {
        candidates = std::min(candidates, round.keep);
        work.push_back(double(candidates) *
                       double(std::min(points.size(), std::size_t(round.points))) * round.steps);
    }
    double total = 0, done = 0;
    for (const double w : work)
        total += w;
    std::vector<Solved> tried(starts.size());
    for (std::size_t k = 0; k < starts.size(); ++k)
        tried[k].start = starts[k];
    for (std::size_t r = 0; r < rounds.size(); ++r) {
        std::vector<FitStart> kept;
        std::vector<int> iterations;
        for (const std::size_t k : bestFirst(tried, rounds[r].keep)) {
            kept.push_back(tried[k].start);
            iterations.push_back(tried[k].iterations);
        }
        // The samples share their first points (one shuffle by the random key).
        const std::vector<FitPoint> sample = sampleOf(points, rounds[r].points, options.randomKey);
        tried =
            tryStarts(kept, sample, options, size, rounds[r].steps, done / total, work[r] / total);
        done += work[r];
        for (std::size_t k = 0; k < tried.size(); ++k)
            tried[k].iterations += iterations[k];
    }
    if (tried.empty() || !std::isfinite(tried.front().cost))
        return std::nullopt;
    return tried.front();
}

SceneValues sceneOf(const FitStart& s, SurfaceKind surface) {
    ScenePrimitives fresh;
    fresh.select(surface == SurfaceKind::toric ? "\"tss" : "\"sss");
    SceneValues v = fresh.values();
    v.sliceCount = 128;
    v.rotateCount = 240;
    if (surface == SurfaceKind::toric) {
        v.thetaMin = -std::numbers::pi_v<float>;
        v.thetaMax = std::numbers::pi_v<float>;
    }
    const auto record = [](const double* n, double m) {
        return std::array<float, 6>{float(n[0]), float(n[1]), float(n[2]),
                                    float(m),    float(n[3]), float(n[4])};
    };
    v.coef1 = record(s.shape.data(), s.m1);
    v.coef2 = record(s.shape.data() + shapeValuesPerFormula, s.m2);
    v.pose = fittedPose(s.rotation.data(), s.translation.data(), s.scale);
    return v;
}

} // namespace

bool isFixableName(const std::string& name) {
    return fixedIndex(name) >= 0 || name == "coef1.m" || name == "coef2.m";
}

double pointsSize(const std::vector<FitPoint>& points) {
    FitPoint low{HUGE_VAL, HUGE_VAL, HUGE_VAL}, high{-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
    for (const FitPoint& p : points)
        for (int k = 0; k < 3; ++k) {
            low[k] = std::min(low[k], p[k]);
            high[k] = std::max(high[k], p[k]);
        }
    if (points.empty())
        return 0;
    return std::hypot(high[0] - low[0], high[1] - low[1], high[2] - low[2]);
}

std::vector<double> pointDistances(const std::vector<FitPoint>& points, const SceneValues& scene,
                                   const std::atomic<bool>* stop) {
    if (scene.surface == SurfaceKind::formula)
        return typedPointDistances(points, scene, stop);
    if (scene.surface == SurfaceKind::harmonic)
        return harmonicPointDistances(points, scene);
    const FitStart s = startFromScene(scene);
    std::vector<double> distances;
    distances.reserve(points.size());
    for (const FitPoint& p : points)
        distances.push_back(closestSurfaceDistance(s, scene.surface, p));
    return distances;
}

FitDistances measureFit(const std::vector<FitPoint>& points, const SceneValues& scene,
                        const std::atomic<bool>* stop) {
    FitDistances d;
    d.size = pointsSize(points);
    if (points.empty())
        return d;
    double sum = 0;
    std::size_t near = 0;
    for (const double r : pointDistances(points, scene, stop)) {
        sum += r * r;
        d.largest = std::max(d.largest, r);
        near += r <= 0.01 * d.size;
    }
    d.rms = std::sqrt(sum / double(points.size()));
    d.withinOnePercent = double(near) / double(points.size());
    return d;
}

SurfaceFitResult fitSurface(const std::vector<FitPoint>& points, const SurfaceFitOptions& options) {
    const auto began = std::chrono::steady_clock::now();
    SurfaceFitResult result;
    if (options.surface == SurfaceKind::harmonic)
        return fitHarmonic(points, options);
    // Ceres tells of every step it rejects on stderr; the report says what
    // matters.
    static const bool quiet = [] {
        FLAGS_minloglevel = google::GLOG_FATAL;
        return true;
    }();
    (void)quiet;
    const std::optional<PrincipalFrame> frame = principalFrame(points);
    if (!frame) {
        result.error = principalFrameRefusal(points);
        return result;
    }
    const double size = pointsSize(points);
    // A torus leaves its hole's directions empty however whole it is.
    const std::optional<OpenSide> open =
        options.surface == SurfaceKind::spheric ? openSide(points, frame->centre) : std::nullopt;
    const std::vector<FitStart> starts = fitStarts(*frame, options, open);
    std::optional<Solved> best = bestOfRounds(starts, points, options, size);
    if (options.progress)
        options.progress(1);
    result.starts = int(starts.size());
    if (stopAsked(options)) {
        result.error = "stopped";
        return result;
    }
    if (!best || !std::isfinite(best->cost)) {
        result.error = "no start reached a surface the points' distances are finite for";
        return result;
    }
    result.iterations = best->iterations;
    result.solved = true;
    result.scene = sceneOf(best->start, options.surface);
    result.distances = measureFit(points, result.scene);
    // Points that lie on the surface to within rounding stop the solver by
    // its iteration count, not its tolerances: that too is convergence.
    result.converged = best->converged || result.distances.rms < 1e-6 * result.distances.size;
    result.solverMessage = best->message;
    result.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    return result;
}

} // namespace Vextal
