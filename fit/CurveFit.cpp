#include "fit/CurveFit.h"

#include "fit/CurveResidual.h"
#include "fit/CurveStarts.h"
#include "fit/PointSample.h"
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

constexpr const char* fixableNames[] = {"coef1.n1", "coef1.n2", "coef1.n3", "coef1.a", "coef1.b"};

int fixedIndex(const std::string& name) {
    for (int k = 0; k < shapeValuesPerFormula; ++k)
        if (name == fixableNames[k])
            return k;
    return -1;
}

// Stops the solver once the points lie on the curve to within a millionth of
// its size, where the relative tolerances would let it run on to its limit.
class CloseEnough : public ceres::IterationCallback {
public:
    CloseEnough(std::size_t points, double size)
        : limit(0.5 * double(points) * (1e-6 * size) * (1e-6 * size)) {}
    ceres::CallbackReturnType operator()(const ceres::IterationSummary& summary) override {
        return summary.cost < limit ? ceres::SOLVER_TERMINATE_SUCCESSFULLY : ceres::SOLVER_CONTINUE;
    }

private:
    double limit;
};

struct Solved {
    CurveStart start;
    double cost = HUGE_VAL;
    int iterations = 0;
    bool converged = false;
    std::string message;
};

// The divisor a is held (at 1, unless --fix holds it elsewhere): scaling it
// changes the curve only as the scale and b do, so left free the three
// drift together along a valley of one and the same curve.
void holdShape(ceres::Problem& problem, CurveStart& s, const CurveFitOptions& options) {
    std::vector<int> held{3};
    for (const auto& [name, value] : options.fixed)
        if (const int k = fixedIndex(name); k >= 0) {
            s.shape[k] = value;
            held.push_back(k);
        }
    std::sort(held.begin(), held.end());
    held.erase(std::unique(held.begin(), held.end()), held.end());
    if (int(held.size()) == shapeValuesPerFormula)
        problem.SetParameterBlockConstant(s.shape.data());
    else
        problem.SetManifold(s.shape.data(), new ceres::SubsetManifold(shapeValuesPerFormula, held));
    for (int k = 0; k < shapeValuesPerFormula; ++k) {
        // As for surfaces: beyond these, powers leave the doubles' range.
        problem.SetParameterLowerBound(s.shape.data(), k, k < 3 ? 0.1 : 0.05);
        problem.SetParameterUpperBound(s.shape.data(), k, k < 3 ? 60.0 : 20.0);
    }
}

// Solves one start over the points, in place.
Solved solve(const CurveStart& from, const std::vector<CurvePoint>& points,
             const CurveFitOptions& options, double size, int iterations) {
    Solved out;
    out.start = from;
    CurveStart& s = out.start;
    ceres::Problem::Options problemOptions;
    problemOptions.loss_function_ownership = ceres::DO_NOT_TAKE_OWNERSHIP;
    ceres::Problem problem(problemOptions);
    // Cauchy's loss at 1% of the size (a wider bend at the starts led more
    // of them into valleys the outliers make).
    ceres::CauchyLoss cauchy(0.01 * size);
    ceres::LossFunction* loss = options.robust ? &cauchy : nullptr;
    for (const CurvePoint& p : points)
        problem.AddResidualBlock(new ceres::AutoDiffCostFunction<CurveResidual, 1, 5, 1, 2, 1>(
                                     new CurveResidual{{p[0], p[1]}, s.m}),
                                 loss, s.shape.data(), &s.rotation, s.centre.data(), &s.scale);
    holdShape(problem, s, options);
    problem.SetParameterLowerBound(&s.scale, 0, 1e-6 * size);
    ceres::Solver::Options solverOptions;
    solverOptions.linear_solver_type = ceres::DENSE_QR;
    solverOptions.max_num_iterations = iterations;
    solverOptions.num_threads = 1;
    solverOptions.logging_type = ceres::SILENT;
    solverOptions.function_tolerance = 1e-10;
    solverOptions.parameter_tolerance = 1e-10;
    CloseEnough closeEnough(points.size(), size);
    solverOptions.callbacks.push_back(&closeEnough);
    ceres::Solver::Summary summary;
    ceres::Solve(solverOptions, &problem, &summary);
    out.cost = summary.IsSolutionUsable() && std::isfinite(summary.final_cost) ? summary.final_cost
                                                                               : HUGE_VAL;
    out.iterations = int(summary.iterations.size());
    out.converged = summary.termination_type == ceres::CONVERGENCE ||
                    summary.termination_type == ceres::USER_SUCCESS;
    out.message = summary.message;
    return out;
}

// Solves every start among the threads, each result in its own slot, so the
// outcome is the same for any thread count.
std::vector<Solved> tryStarts(const std::vector<CurveStart>& starts,
                              const std::vector<CurvePoint>& sample, const CurveFitOptions& options,
                              double size, int iterations, double progressFrom,
                              double progressSpan) {
    std::vector<Solved> tried(starts.size());
    std::atomic<std::size_t> next{0}, done{0};
    const auto work = [&] {
        for (std::size_t k; (k = next++) < starts.size();) {
            tried[k] = solve(starts[k], sample, options, size, iterations);
            const std::size_t finished = ++done;
            if (options.progress)
                options.progress(progressFrom +
                                 progressSpan * double(finished) / double(starts.size()));
        }
    };
    std::vector<std::thread> pool;
    for (int t = 1; t < std::min(std::max(1, options.threads), int(starts.size())); ++t)
        pool.emplace_back(work);
    work();
    for (std::thread& thread : pool)
        thread.join();
    return tried;
}

// The `count` lowest costs' starts, lowest first; with `oneEach`, only the
// lowest of each order m. The iterations spent on all are added up.
std::vector<CurveStart> bestOf(const std::vector<Solved>& tried, std::size_t count, int& iterations,
                               bool oneEach = false) {
    std::vector<std::size_t> order(tried.size());
    for (std::size_t k = 0; k < order.size(); ++k) {
        order[k] = k;
        iterations += tried[k].iterations;
    }
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return tried[a].cost < tried[b].cost; });
    std::vector<CurveStart> best;
    for (const std::size_t k : order) {
        const auto sameOrder = [&](const CurveStart& s) { return s.m == tried[k].start.m; };
        if (best.size() == count)
            break;
        if (!oneEach || std::none_of(best.begin(), best.end(), sameOrder))
            best.push_back(tried[k].start);
    }
    return best;
}

// The lowest order whose cost is within a few percent of the lowest: an order
// of 2m can follow a curve of order m nearly as well (its period is as long)
// and follows noise and outliers a little closer, with spikes between.
const Solved* simplest(const std::vector<Solved>& refined, double negligible) {
    const Solved* lowest = nullptr;
    for (const Solved& r : refined)
        if (!lowest || r.cost < lowest->cost)
            lowest = &r;
    if (!lowest || !std::isfinite(lowest->cost))
        return nullptr;
    const Solved* chosen = lowest;
    for (const Solved& r : refined)
        if (r.cost <= 1.03 * lowest->cost + negligible && r.start.m < chosen->start.m)
            chosen = &r;
    return chosen;
}

double boxDiagonal(const std::vector<CurvePoint>& points) {
    if (points.empty())
        return 0;
    CurvePoint low{HUGE_VAL, HUGE_VAL}, high{-HUGE_VAL, -HUGE_VAL};
    for (const CurvePoint& p : points)
        for (int k = 0; k < 2; ++k) {
            low[k] = std::min(low[k], p[k]);
            high[k] = std::max(high[k], p[k]);
        }
    return std::hypot(high[0] - low[0], high[1] - low[1]);
}

CurveStart startOf(const PlacedCurve& c) {
    CurveStart s;
    s.shape = {c.n1, c.n2, c.n3, c.a, c.b};
    s.rotation = c.rotation;
    s.centre = c.centre;
    s.scale = c.scale;
    s.m = c.m;
    return s;
}

// The points that are no outliers of the curve: within three robust standard
// deviations of it (from the median distance), and never nearer than `floor`
// times the size.
std::vector<CurvePoint> inliersOf(const std::vector<CurvePoint>& points, const CurveStart& start,
                                  double size, double floor) {
    CurveStart s = start;
    std::vector<double> gaps;
    for (const CurvePoint& p : points) {
        double r = HUGE_VAL;
        CurveResidual{{p[0], p[1]}, s.m}(s.shape.data(), &s.rotation, s.centre.data(), &s.scale,
                                         &r);
        gaps.push_back(std::isfinite(r) ? std::fabs(r) : HUGE_VAL);
    }
    std::vector<double> sorted = gaps;
    std::nth_element(sorted.begin(), sorted.begin() + sorted.size() / 2, sorted.end());
    const double limit = std::max(3 * 1.4826 * sorted[sorted.size() / 2], floor * size);
    std::vector<CurvePoint> kept;
    for (std::size_t k = 0; k < points.size(); ++k)
        if (gaps[k] <= limit)
            kept.push_back(points[k]);
    return kept;
}

// The curve's cost over the points, unsolved, under Cauchy's loss at `bend`
// times the size.
double cauchyCostOf(const CurveStart& start, const std::vector<CurvePoint>& points, double size,
                    double bend) {
    CurveStart s = start;
    const ceres::CauchyLoss cauchy(bend * size);
    double cost = 0;
    for (const CurvePoint& p : points) {
        double r = HUGE_VAL, rho[3] = {};
        CurveResidual{{p[0], p[1]}, s.m}(s.shape.data(), &s.rotation, s.centre.data(), &s.scale,
                                         &r);
        if (!std::isfinite(r))
            return HUGE_VAL;
        cauchy.Evaluate(r * r, rho);
        cost += 0.5 * rho[0];
    }
    return cost;
}

// An odd order m's curve turned by k / m of a whole turn, with n2 and n3 (and
// a and b) swapped for odd k, is the same curve but for the arc about
// phi = +-pi where r(phi)'s ends meet: each is a valley of its own, and the
// starts' equal exponents lead into any. None for other orders, whose turned
// curves are the curve itself.
std::vector<CurveStart> twinsOf(const CurveStart& s) {
    const int m = int(s.m);
    if (double(m) != s.m || m % 2 == 0 || m < 3)
        return {};
    std::vector<CurveStart> twins;
    for (int k = 1; k < m; ++k) {
        CurveStart twin = s;
        if (k % 2) {
            std::swap(twin.shape[1], twin.shape[2]);
            // a is held: a * a / b for b keeps the ratio the swap gives.
            twin.shape[4] = s.shape[3] * s.shape[3] / s.shape[4];
        }
        twin.rotation = s.rotation + 2 * std::numbers::pi * k / m;
        twins.push_back(twin);
    }
    return twins;
}

} // namespace

bool isCurveFixableName(const std::string& name) {
    return fixedIndex(name) >= 0 || name == "coef1.m";
}

FitDistances measureCurveFit(const std::vector<CurvePoint>& points, const PlacedCurve& curve) {
    FitDistances d;
    d.size = boxDiagonal(points);
    if (points.empty())
        return d;
    CurveStart s = startOf(curve);
    double sum = 0;
    std::size_t near = 0;
    for (const CurvePoint& p : points) {
        double r = 0;
        CurveResidual{{p[0], p[1]}, s.m}(s.shape.data(), &s.rotation, s.centre.data(), &s.scale,
                                         &r);
        if (!std::isfinite(r))
            r = HUGE_VAL;
        sum += r * r;
        d.largest = std::max(d.largest, std::fabs(r));
        near += std::fabs(r) <= 0.01 * d.size;
    }
    d.rms = std::sqrt(sum / double(points.size()));
    d.withinOnePercent = double(near) / double(points.size());
    return d;
}

CurvePoint curvePointAt(const PlacedCurve& c, double phi) {
    const double shape[5] = {c.n1, c.n2, c.n3, c.a, c.b};
    const double r = c.scale * radiusOf(shape, c.m, phi);
    const double x = r * std::cos(phi), y = r * std::sin(phi);
    const double cr = std::cos(c.rotation), sr = std::sin(c.rotation);
    return {c.centre[0] + cr * x - sr * y, c.centre[1] + sr * x + cr * y};
}

SceneValues curveScene(const PlacedCurve& c) {
    ScenePrimitives fresh;
    fresh.select("\"sss");
    SceneValues v = fresh.values();
    v.sliceCount = 128;
    v.rotateCount = 240;
    v.coef1 = {float(c.n1), float(c.n2), float(c.n3), float(c.m), float(c.a), float(c.b)};
    v.coef2 = {2, 2, 2, 4, 1, 1};
    ScenePose pose;
    pose.axis = {0, 0, 1};
    pose.angle = float(c.rotation);
    pose.translation = {float(c.centre[0]), float(c.centre[1]), 0};
    pose.scale = float(c.scale);
    v.pose = pose;
    return v;
}

CurveFitResult fitCurve(const std::vector<CurvePoint>& points, const CurveFitOptions& options) {
    const auto began = std::chrono::steady_clock::now();
    CurveFitResult result;
    // Ceres tells of every step it rejects on stderr; the report says what matters.
    static const bool quiet = [] {
        FLAGS_minloglevel = google::GLOG_FATAL;
        return true;
    }();
    (void)quiet;
    const double size = boxDiagonal(points);
    // Beyond the floats' range the scene and the picture could not hold it.
    if (!(size < 1e30)) {
        result.error = "the points spread beyond 1e30: scale them down before fitting";
        return result;
    }
    const std::optional<CurveFrame> frame = curveFrame(points);
    if (!frame) {
        result.error = curveFrameRefusal(points);
        return result;
    }
    const std::vector<CurveStart> starts = curveStarts(*frame, options);
    result.starts = int(starts.size());
    // Every start goes a few steps on a small sample, the best go on on a
    // larger one, and the best of those are refined on (nearly) every point.
    const auto small = sampleOf(points, options.startSample, options.randomKey);
    const auto large = sampleOf(points, 5 * options.startSample, options.randomKey);
    const auto refining = sampleOf(points, options.refineSample, options.randomKey);
    std::vector<Solved> tried = tryStarts(starts, small, options, size, 10, 0, 0.6);
    tried = tryStarts(bestOf(tried, 12, result.iterations), large, options, size, 50, 0.6, 0.2);
    const std::vector<CurveStart> finalists = bestOf(tried, 4, result.iterations, true);
    const std::vector<Solved> refined =
        tryStarts(finalists, refining, options, size, options.maxIterations, 0.8, 0.2);
    for (const Solved& r : refined)
        result.iterations += r.iterations;
    // Robust finalists are judged under a loss five times narrower than the
    // one they were solved under: under the wider one a spiky curve of
    // another order that passes near more outliers can cost less than the
    // curve the inliers lie on.
    std::vector<Solved> judged = refined;
    if (options.robust)
        for (Solved& r : judged)
            if (std::isfinite(r.cost))
                r.cost = cauchyCostOf(r.start, refining, size, 0.002);
    const Solved* chosen =
        simplest(judged, 0.5 * double(refining.size()) * (1e-6 * size) * (1e-6 * size));
    const Solved* best = chosen ? &refined[std::size_t(chosen - judged.data())] : nullptr;
    if (!best) {
        result.error = "no start reached a curve the points' distances are finite for";
        return result;
    }
    // The chosen curve's twins go a few steps on the larger sample, the best
    // of them on to the end; it replaces the curve if it lies closer.
    std::optional<Solved> twin;
    if (const auto twins = twinsOf(best->start); !twins.empty()) {
        const std::vector<Solved> stepped = tryStarts(twins, large, options, size, 30, 1, 0);
        twin = solve(bestOf(stepped, 1, result.iterations)[0], refining, options, size,
                     options.maxIterations);
        result.iterations += twin->iterations;
        if (twin->cost < best->cost)
            best = &*twin;
    }
    // Cauchy's loss still feels the outliers a little and has valleys of its
    // own: the robust curve is refined by plain least squares on its inliers,
    // first those within 3% of the size (the points where it still strays
    // from the outline, at a star's tips, among them), then those within 0.2%.
    std::optional<Solved> trimmed[2];
    if (options.robust) {
        CurveFitOptions plain = options;
        plain.robust = false;
        for (int round = 0; round < 2; ++round) {
            trimmed[round] = solve(
                best->start, inliersOf(refining, best->start, size, round == 0 ? 0.03 : 0.002),
                plain, size, options.maxIterations);
            result.iterations += trimmed[round]->iterations;
            if (std::isfinite(trimmed[round]->cost))
                best = &*trimmed[round];
        }
    }
    result.solved = true;
    result.curve = placedCurveOf(best->start);
    result.distances = measureCurveFit(points, result.curve);
    // Points on the curve to within rounding stop the solver by its count,
    // not its tolerances: that too is convergence.
    result.converged = best->converged || result.distances.rms < 1e-6 * result.distances.size;
    result.solverMessage = best->message;
    result.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    return result;
}

} // namespace Vextal
