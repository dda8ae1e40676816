#include "fit/TypedSurfaceFit.h"

#include "fit/FitStarts.h"
#include "fit/FitStopped.h"
#include "fit/FittedPose.h"
#include "fit/PointSample.h"
#include "fit/TypedSurface.h"
#include "scene/SceneExplanation.h"

#include <ceres/ceres.h>
#include <ceres/rotation.h>
#include <glog/logging.h>

#include <Eigen/Dense>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <random>
#include <thread>

namespace Vextal {

namespace {

// The pose as one block: axis times angle, translation, scale.
using PoseBlock = std::array<double, 7>;

struct TypedStart {
    std::vector<double> parameters;
    PoseBlock pose{};
};

std::array<double, 3> toShapeFrame(const PoseBlock& pose, const FitPoint& p) {
    const double d[3] = {p[0] - pose[3], p[1] - pose[4], p[2] - pose[5]};
    const double back[3] = {-pose[0], -pose[1], -pose[2]};
    double q[3];
    ceres::AngleAxisRotatePoint(back, d, q);
    return {q[0] / pose[6], q[1] / pose[6], q[2] / pose[6]};
}

// One point's residual: the posed surface point at its own (u, v) less the
// point. Its length is the point's distance to the surface once (u, v) is
// the closest point, where it lies along the normal: an orthogonal distance,
// a length everywhere whatever the surface's shape.
struct PointOffset {
    const TypedSurface* surface;
    FitPoint point;
    std::size_t parameterCount;
    mutable TypedPointEvaluator evaluator;

    bool operator()(double const* const* blocks, double* residual) const {
        const double* uv = blocks[0];
        const std::span<const double> values(parameterCount ? blocks[1] : nullptr, parameterCount);
        const double* pose = blocks[parameterCount ? 2 : 1];
        const std::array<double, 3> x = evaluator.at(values, uv[0], uv[1]);
        double turned[3];
        ceres::AngleAxisRotatePoint(pose, x.data(), turned);
        for (int k = 0; k < 3; ++k)
            residual[k] = pose[6] * turned[k] + pose[3 + k] - point[k];
        return std::isfinite(residual[0]) && std::isfinite(residual[1]) &&
               std::isfinite(residual[2]);
    }
};

struct TypedSolved {
    TypedStart start;
    double cost = HUGE_VAL;
    int iterations = 0;
    bool converged = false;
    std::string message;
};

double sizeOf(const std::vector<FitPoint>& points) {
    FitPoint low{HUGE_VAL, HUGE_VAL, HUGE_VAL}, high{-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
    for (const FitPoint& p : points)
        for (int k = 0; k < 3; ++k) {
            low[k] = std::min(low[k], p[k]);
            high[k] = std::max(high[k], p[k]);
        }
    return points.empty() ? 0 : std::hypot(high[0] - low[0], high[1] - low[1], high[2] - low[2]);
}

// Solves the parameters, the pose and every point's (u, v) together from
// a start, each point's (u, v) from the nearest vertex of a grid of the
// start's surface refined to its closest point.
TypedSolved solveTyped(const TypedSurface& surface, const SceneValues& scene,
                       const TypedStart& from, const std::vector<FitPoint>& points,
                       const SurfaceFitOptions& options, double size, int iterations, int threads) {
    TypedSolved out;
    out.start = from;
    TypedStart& s = out.start;
    const std::size_t count = s.parameters.size();
    const TypedGrid grid(surface, s.parameters, 48);
    TypedPointEvaluator evaluator(surface);
    std::vector<std::array<double, 2>> uv(points.size());
    for (std::size_t k = 0; k < points.size(); ++k) {
        const std::array<double, 3> q = toShapeFrame(s.pose, points[k]);
        const ClosestPoint c = closestPoint(evaluator, surface, s.parameters, q, grid.nearest(q));
        uv[k] = {c.u, c.v};
    }
    ceres::Problem::Options problemOptions;
    problemOptions.loss_function_ownership = ceres::DO_NOT_TAKE_OWNERSHIP;
    ceres::Problem problem(problemOptions);
    ceres::CauchyLoss cauchy(0.01 * size);
    ceres::LossFunction* loss = options.robust ? &cauchy : nullptr;
    for (std::size_t k = 0; k < points.size(); ++k) {
        auto* cost = new ceres::DynamicNumericDiffCostFunction<PointOffset, ceres::CENTRAL>(
            new PointOffset{&surface, points[k], count, TypedPointEvaluator(surface)});
        cost->AddParameterBlock(2);
        std::vector<double*> blocks{uv[k].data()};
        if (count) {
            cost->AddParameterBlock(int(count));
            blocks.push_back(s.parameters.data());
        }
        cost->AddParameterBlock(7);
        blocks.push_back(s.pose.data());
        cost->SetNumResiduals(3);
        problem.AddResidualBlock(cost, loss, blocks);
        if (!surface.uCloses) {
            problem.SetParameterLowerBound(uv[k].data(), 0, surface.uLow);
            problem.SetParameterUpperBound(uv[k].data(), 0, surface.uHigh);
        }
        if (!surface.vCloses) {
            problem.SetParameterLowerBound(uv[k].data(), 1, surface.vLow);
            problem.SetParameterUpperBound(uv[k].data(), 1, surface.vHigh);
        }
    }
    if (count) {
        std::vector<int> held;
        for (std::size_t k = 0; k < count; ++k) {
            const FormulaParameter& p = scene.formula.parameters[k];
            for (const auto& [name, value] : options.fixed)
                if (name == p.name) {
                    s.parameters[k] = value;
                    held.push_back(int(k));
                }
            if (p.low < p.high) {
                problem.SetParameterLowerBound(s.parameters.data(), int(k), p.low);
                problem.SetParameterUpperBound(s.parameters.data(), int(k), p.high);
            }
        }
        std::sort(held.begin(), held.end());
        held.erase(std::unique(held.begin(), held.end()), held.end());
        if (held.size() == count)
            problem.SetParameterBlockConstant(s.parameters.data());
        else if (!held.empty())
            problem.SetManifold(s.parameters.data(), new ceres::SubsetManifold(int(count), held));
    }
    problem.SetParameterLowerBound(s.pose.data(), 6, 1e-6 * size);
    ceres::Solver::Options solverOptions;
    // Each point's (u, v) is eliminated first: the reduced system is only
    // as large as the parameters and the pose.
    solverOptions.linear_solver_type = ceres::DENSE_SCHUR;
    solverOptions.max_num_iterations = iterations;
    solverOptions.num_threads = threads;
    solverOptions.logging_type = ceres::SILENT;
    solverOptions.function_tolerance = 1e-10;
    solverOptions.parameter_tolerance = 1e-10;
    Stopped stopped(options.stop);
    solverOptions.callbacks.push_back(&stopped);
    ceres::Solver::Summary summary;
    ceres::Solve(solverOptions, &problem, &summary);
    out.cost = summary.IsSolutionUsable() && std::isfinite(summary.final_cost) ? summary.final_cost
                                                                               : HUGE_VAL;
    out.iterations = int(summary.iterations.size());
    out.converged = summary.termination_type == ceres::CONVERGENCE;
    out.message = summary.message;
    return out;
}

// Starts from the principal axes: the start surface's axes turned onto the
// points' (the four turns that keep handedness, since an axis has two
// directions), its centre onto theirs and its spread scaled to theirs; with
// the file's parameter values and with the middles of their ranges.
std::vector<TypedStart> typedStarts(const TypedSurface& surface, const SceneValues& scene,
                                    const PrincipalFrame& pointsFrame) {
    std::vector<std::vector<double>> values(1);
    for (const FormulaParameter& p : scene.formula.parameters)
        values[0].push_back(p.value);
    if (!values[0].empty()) {
        values.push_back({});
        for (const FormulaParameter& p : scene.formula.parameters)
            values[1].push_back(0.5 * (double(p.low) + double(p.high)));
    }
    const auto matrix = [](const PrincipalFrame& f) {
        Eigen::Matrix3d m;
        for (int c = 0; c < 3; ++c)
            for (int r = 0; r < 3; ++r)
                m(r, c) = f.axes[c][r];
        return m;
    };
    const Eigen::Matrix3d to = matrix(pointsFrame);
    std::vector<TypedStart> starts;
    for (const std::vector<double>& v : values) {
        const TypedGrid grid(surface, v, 32);
        std::optional<PrincipalFrame> own = principalFrame(grid.vertices());
        const Eigen::Matrix3d from = own ? matrix(*own) : Eigen::Matrix3d::Identity();
        const Eigen::Vector3d centre =
            own ? Eigen::Vector3d(own->centre[0], own->centre[1], own->centre[2])
                : Eigen::Vector3d::Zero();
        double spread = 0, theirs = 0;
        for (int k = 0; k < 3; ++k) {
            spread += own ? own->spread[k] : 1;
            theirs += pointsFrame.spread[k];
        }
        const double scale = std::sqrt(theirs / spread);
        for (const auto& signs : {Eigen::Vector3d(1, 1, 1), Eigen::Vector3d(-1, -1, 1),
                                  Eigen::Vector3d(-1, 1, -1), Eigen::Vector3d(1, -1, -1)}) {
            Eigen::Matrix3d turn = to * signs.asDiagonal() * from.transpose();
            if (turn.determinant() < 0)
                turn = to * (-signs).asDiagonal() * from.transpose();
            const Eigen::AngleAxisd rotation(turn);
            const Eigen::Vector3d axis = rotation.axis() * rotation.angle();
            const Eigen::Vector3d t = Eigen::Vector3d(pointsFrame.centre[0], pointsFrame.centre[1],
                                                      pointsFrame.centre[2]) -
                                      scale * (turn * centre);
            starts.push_back({v, {axis[0], axis[1], axis[2], t[0], t[1], t[2], scale}});
        }
    }
    return starts;
}

SceneValues posedScene(SceneValues scene, const TypedStart& s) {
    for (std::size_t k = 0; k < s.parameters.size(); ++k)
        scene.formula.parameters[k].value = float(s.parameters[k]);
    scene.pose = fittedPose(s.pose.data(), s.pose.data() + 3, s.pose[6]);
    return scene;
}

} // namespace

std::vector<double> typedPointDistances(const std::vector<FitPoint>& points,
                                        const SceneValues& scene, const std::atomic<bool>* stop) {
    std::string error;
    const std::optional<TypedSurface> surface = typedSurfaceOf(scene, error);
    if (!surface)
        return std::vector<double>(points.size(), HUGE_VAL);
    std::vector<double> values;
    for (const FormulaParameter& p : scene.formula.parameters)
        values.push_back(p.value);
    const ScenePose pose = scene.pose.value_or(ScenePose{});
    const PoseBlock block{pose.axis[0] * pose.angle,
                          pose.axis[1] * pose.angle,
                          pose.axis[2] * pose.angle,
                          pose.translation[0],
                          pose.translation[1],
                          pose.translation[2],
                          pose.scale};
    const TypedGrid grid(*surface, values, 96);
    std::vector<double> distances(points.size());
    const unsigned threads = std::max(1u, std::min(8u, std::thread::hardware_concurrency()));
    const auto work = [&](unsigned part) {
        TypedPointEvaluator evaluator(*surface);
        for (std::size_t k = part, done = 0; k < points.size(); k += threads, ++done) {
            if (done % 1024 == 0 && stop && *stop)
                return;
            const std::array<double, 3> q = toShapeFrame(block, points[k]);
            const double d =
                closestPoint(evaluator, *surface, values, q, grid.nearest(q)).distance * pose.scale;
            distances[k] = std::isfinite(d) ? d : HUGE_VAL;
        }
    };
    std::vector<std::thread> helpers;
    for (unsigned t = 1; t < threads; ++t)
        helpers.emplace_back(work, t);
    work(0);
    for (std::thread& t : helpers)
        t.join();
    return distances;
}

SurfaceFitResult fitTypedSurface(const std::vector<FitPoint>& points, const SceneValues& scene,
                                 const SurfaceFitOptions& options) {
    const auto began = std::chrono::steady_clock::now();
    SurfaceFitResult result;
    static const bool quiet = [] {
        FLAGS_minloglevel = google::GLOG_FATAL;
        return true;
    }();
    (void)quiet;
    for (const auto& [name, value] : options.fixed) {
        const auto& ps = scene.formula.parameters;
        const auto held = std::find_if(ps.begin(), ps.end(),
                                       [&](const FormulaParameter& p) { return p.name == name; });
        if (held == ps.end()) {
            result.error = "--fix " + name + ": the scene has no parameter of that name";
            return result;
        }
        // The solve keeps every parameter within its range, a held one too:
        // a value outside it would be moved to the range's end, unsaid.
        if (held->low < held->high && !(float(value) >= held->low && float(value) <= held->high)) {
            result.error = "--fix " + name + ": " + shortestText(float(value)) +
                           " is outside the parameter's range " + shortestText(held->low) + " to " +
                           shortestText(held->high);
            return result;
        }
    }
    std::string error;
    const std::optional<TypedSurface> surface = typedSurfaceOf(scene, error);
    if (!surface) {
        result.error = error;
        return result;
    }
    const std::optional<PrincipalFrame> frame = principalFrame(points);
    if (!frame) {
        result.error = principalFrameRefusal(points);
        return result;
    }
    const double size = sizeOf(points);
    const std::vector<TypedStart> starts = typedStarts(*surface, scene, *frame);
    // Every start a few steps on a small sample, each on its own thread and
    // in its own slot (the same result for any thread count); the best to
    // convergence on a larger one, (u, v) found again from its surface.
    const std::vector<FitPoint> few =
        sampleOf(points, std::size_t(options.startSample), options.randomKey);
    std::vector<TypedSolved> tried(starts.size());
    std::atomic<std::size_t> next{0}, done{0};
    const auto work = [&] {
        for (std::size_t k; (k = next++) < starts.size() && !stopAsked(options);) {
            tried[k] = solveTyped(*surface, scene, starts[k], few, options, size, 25, 1);
            if (options.progress)
                options.progress(0.5 * double(++done) / double(starts.size()));
        }
    };
    std::vector<std::thread> helpers;
    for (int t = 1; t < std::min(options.threads, int(starts.size())); ++t)
        helpers.emplace_back(work);
    work();
    for (std::thread& t : helpers)
        t.join();
    if (stopAsked(options))
        return stoppedFit();
    std::size_t best = 0;
    for (std::size_t k = 1; k < tried.size(); ++k)
        if (tried[k].cost < tried[best].cost)
            best = k;
    if (!std::isfinite(tried[best].cost)) {
        result.error = "no start reached a surface the points' distances are finite for";
        return result;
    }
    const std::vector<FitPoint> many =
        sampleOf(points, std::size_t(std::min(options.refineSample, 3000)), options.randomKey);
    int iterations = 0;
    for (const TypedSolved& t : tried)
        iterations += t.iterations;
    TypedSolved refined = solveTyped(*surface, scene, tried[best].start, many, options, size,
                                     options.maxIterations, std::max(1, options.threads));
    // Once more from the closest points of the refined surface: a point
    // whose (u, v) began on the wrong sheet may have stayed there.
    refined = solveTyped(*surface, scene, refined.start, many, options, size, options.maxIterations,
                         std::max(1, options.threads));
    if (options.progress)
        options.progress(1);
    if (stopAsked(options))
        return stoppedFit();
    result.iterations = iterations + refined.iterations;
    result.starts = int(starts.size());
    result.solved = std::isfinite(refined.cost);
    if (!result.solved) {
        result.error = "the refinement reached no surface the points' distances are finite for";
        return result;
    }
    result.scene = posedScene(scene, refined.start);
    result.distances = measureFit(points, result.scene, options.stop);
    if (stopAsked(options))
        return stoppedFit();
    result.converged = refined.converged || result.distances.rms < 1e-6 * result.distances.size;
    result.solverMessage = refined.message;
    result.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    return result;
}

} // namespace Vextal
