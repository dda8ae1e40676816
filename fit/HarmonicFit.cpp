#include "fit/HarmonicFit.h"

#include "fit/FitStarts.h"
#include "fit/FitStopped.h"
#include "fit/FittedPose.h"
#include "fit/HarmonicClosestPoint.h"
#include "fit/PointSample.h"
#include "fit/SurfaceResidual.h"
#include "scene/SceneCommands.h"

#include <ceres/ceres.h>
#include <glog/logging.h>

#include <Eigen/Dense>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <numbers>
#include <random>
#include <thread>

namespace Vextal {

namespace {

constexpr int highestFrequency = 6, highestExponent = 8;

using Coefficients = std::array<double, 8>; // m0 .. m7

// The harmonic's radial gap at a point: the distance, in the points' units,
// from the point to the surface along the ray from the shape's centre
// through it. Its point is r (sin(theta) sin(phi), sin(theta) cos(phi),
// cos(theta)), so the ray's direction gives theta and phi.
struct HarmonicGap {
    // sin(f w)^e (or cos): constant where f or e is 0, so that a jet's power
    // does not meet 0^-1 on the way.
    template <class T> static T term(bool cosine, double f, double e, const T& w) {
        using std::cos, std::pow, std::sin;
        if (e == 0)
            return T(1);
        if (f == 0)
            return T(cosine ? 1 : 0);
        return pow(cosine ? cos(f * w) : sin(f * w), e);
    }

    template <class T>
    T operator()(const Coefficients& m, const T* rotation, const T* translation, const T* scale,
                 const T* p) const {
        using std::atan2, std::cos, std::pow, std::sin, std::sqrt;
        T q[3];
        toShapeFrame(p, rotation, translation, scale, q);
        const T across = sqrt(q[0] * q[0] + q[1] * q[1] + T(1e-300));
        const T phi = atan2(q[0], q[1]);
        const T theta = atan2(across, q[2]);
        const T r = term(false, m[0], m[1], phi) + term(true, m[2], m[3], phi) +
                    term(false, m[4], m[5], theta) + term(true, m[6], m[7], theta);
        return scale[0] * (sqrt(across * across + q[2] * q[2]) - r);
    }
};

// The gap over its slope, as for the superformula surfaces: the
// first-order distance to the surface.
struct HarmonicResidual {
    Coefficients m;
    double point[3];

    template <class T>
    bool operator()(const T* rotation, const T* translation, const T* scale, T* residual) const {
        const T p[3] = {T(point[0]), T(point[1]), T(point[2])};
        if constexpr (std::is_same_v<T, double>) {
            using J = ceres::Jet<double, 3>;
            J r[3], t[3], k[1] = {J(scale[0])}, at[3];
            for (int i = 0; i < 3; ++i) {
                r[i] = J(rotation[i]);
                t[i] = J(translation[i]);
                at[i] = J(point[i], i);
            }
            const J g = HarmonicGap{}(m, r, t, k, at);
            residual[0] = g.a / heldSlope(g.v.norm());
        } else {
            const T g = HarmonicGap{}(m, rotation, translation, scale, p);
            residual[0] = g / heldSlope(g.v.template segment<3>(3).norm());
        }
        return true;
    }
};

struct HarmonicStart {
    Coefficients m{};
    std::array<double, 3> rotation{}, translation{};
    double scale = 1;
    double cost = HUGE_VAL;
    int iterations = 0;
    bool converged = false;
    std::string message;
};

// One half of the radius: sin(f w)^e + cos(g w)^h of one angle w.
struct HalfTerms {
    int f, e, g, h;
};

// Every distinct half: frequencies 0 to 6, exponents 0 to 8, with the halves
// that give the same values (a frequency of 0, an exponent of 0) once.
std::vector<HalfTerms> distinctHalves() {
    std::vector<std::array<int, 2>> sines{{0, 1}, {0, 0}}, cosines{{0, 0}}; // 0, 1; 1
    for (int f = 1; f <= highestFrequency; ++f)
        for (int e = 1; e <= highestExponent; ++e) {
            sines.push_back({f, e});
            cosines.push_back({f, e});
        }
    std::vector<HalfTerms> halves;
    for (const auto& a : sines)
        for (const auto& b : cosines)
            halves.push_back({a[0], a[1], b[0], b[1]});
    return halves;
}

// sin(f w)^e and cos(f w)^e of one angle per point for every frequency and
// exponent, worked out once for the many halves a search scores.
struct AngleTerms {
    std::size_t n = 0;
    std::vector<double> sines, cosines;

    explicit AngleTerms(const std::vector<double>& angles)
        : n(angles.size()), sines(rows * n), cosines(rows * n) {
        for (int f = 0; f <= highestFrequency; ++f)
            for (int e = 0; e <= highestExponent; ++e)
                for (std::size_t i = 0; i < n; ++i) {
                    sines[row(f, e) + i] = wholePower(std::sin(f * angles[i]), e);
                    cosines[row(f, e) + i] = wholePower(std::cos(f * angles[i]), e);
                }
    }
    static constexpr std::size_t rows = (highestFrequency + 1) * (highestExponent + 1);
    std::size_t row(int f, int e) const { return std::size_t(f * (highestExponent + 1) + e) * n; }
};

std::vector<double> halfValues(const HalfTerms& t, const AngleTerms& terms) {
    std::vector<double> r(terms.n);
    const double* s = &terms.sines[terms.row(t.f, t.e)];
    const double* c = &terms.cosines[terms.row(t.g, t.h)];
    for (std::size_t i = 0; i < terms.n; ++i)
        r[i] = s[i] + c[i];
    return r;
}

// How well each half along one angle explains the points' distances from
// the centre when the other half is free: within bins of the other angle
// the other half is nearly constant, so each bin gets an offset of its own
// and the half a common scale. The misfit of each half, by least squares.
std::vector<double> halfMisfits(const std::vector<HalfTerms>& halves, const AngleTerms& angles,
                                const std::vector<double>& others, double otherLow,
                                double otherHigh, const std::vector<double>& lengths) {
    constexpr int bins = 24;
    const std::size_t n = lengths.size();
    std::vector<int> bin(n);
    std::vector<double> meanLength(bins, 0), count(bins, 0);
    for (std::size_t i = 0; i < n; ++i) {
        bin[i] =
            std::clamp(int(bins * (others[i] - otherLow) / (otherHigh - otherLow)), 0, bins - 1);
        meanLength[bin[i]] += lengths[i];
        count[bin[i]] += 1;
    }
    for (int b = 0; b < bins; ++b)
        meanLength[b] /= std::max(1.0, count[b]);
    double spread = 0;
    for (std::size_t i = 0; i < n; ++i)
        spread += (lengths[i] - meanLength[bin[i]]) * (lengths[i] - meanLength[bin[i]]);
    std::vector<double> misfits;
    std::vector<double> mean(bins);
    for (const HalfTerms& t : halves) {
        const std::vector<double> r = halfValues(t, angles);
        std::fill(mean.begin(), mean.end(), 0.0);
        for (std::size_t i = 0; i < n; ++i)
            mean[bin[i]] += r[i];
        for (int b = 0; b < bins; ++b)
            mean[b] /= std::max(1.0, count[b]);
        double lr = 0, rr = 0;
        for (std::size_t i = 0; i < n; ++i) {
            const double dr = r[i] - mean[bin[i]];
            lr += (lengths[i] - meanLength[bin[i]]) * dr;
            rr += dr * dr;
        }
        // A half that does not vary explains nothing; a scale below 0 turns
        // the shape inside out.
        misfits.push_back(rr > 0 && lr > 0 ? spread - lr * lr / rr : spread);
    }
    return misfits;
}

// The whole numbers that best give the points' distances from the centre
// of a start's frame, up to a common scale: the best few halves along phi
// and along theta, each chosen with the other half free, then every pair
// of them scored whole by least squares with its best scale (none where
// the radius is not above 0); when thorough, each half chosen again with the
// other held. The misfit, in the frame's units squared.
double searchWholeNumbers(const HarmonicStart& at, const std::vector<FitPoint>& points,
                          bool thorough, Coefficients& best) {
    const std::size_t n = points.size();
    std::vector<double> lengths(n), phis(n), thetas(n);
    for (std::size_t i = 0; i < n; ++i) {
        double q[3];
        toShapeFrame(points[i].data(), at.rotation.data(), at.translation.data(), &at.scale, q);
        const double across = std::hypot(q[0], q[1]);
        lengths[i] = std::hypot(across, q[2]);
        phis[i] = std::atan2(q[0], q[1]);
        thetas[i] = std::atan2(across, q[2]);
    }
    static const std::vector<HalfTerms> halves = distinctHalves();
    const AngleTerms phiTerms(phis), thetaTerms(thetas);
    const auto bestFew = [&](const std::vector<double>& misfits) {
        std::vector<std::size_t> order(misfits.size());
        for (std::size_t k = 0; k < order.size(); ++k)
            order[k] = k;
        std::stable_sort(order.begin(), order.end(),
                         [&](std::size_t a, std::size_t b) { return misfits[a] < misfits[b]; });
        order.resize(16);
        return order;
    };
    const std::vector<std::size_t> phiHalves =
        bestFew(halfMisfits(halves, phiTerms, thetas, 0, std::numbers::pi, lengths));
    const std::vector<std::size_t> thetaHalves = bestFew(
        halfMisfits(halves, thetaTerms, phis, -std::numbers::pi, std::numbers::pi, lengths));
    double lowest = HUGE_VAL;
    for (const std::size_t a : phiHalves) {
        const std::vector<double> ra = halfValues(halves[a], phiTerms);
        for (const std::size_t b : thetaHalves) {
            const std::vector<double> rb = halfValues(halves[b], thetaTerms);
            double lr = 0, rr = 0, ll = 0;
            bool positive = true;
            for (std::size_t i = 0; i < n && positive; ++i) {
                const double r = ra[i] + rb[i];
                positive = r > 0;
                lr += lengths[i] * r;
                rr += r * r;
                ll += lengths[i] * lengths[i];
            }
            if (!positive)
                continue;
            if (const double cost = ll - lr * lr / rr; cost < lowest) {
                lowest = cost;
                const HalfTerms& p = halves[a];
                const HalfTerms& t = halves[b];
                best = {double(p.f), double(p.e), double(p.g), double(p.h),
                        double(t.f), double(t.e), double(t.g), double(t.h)};
            }
        }
    }
    // Then each half again with the other held whole, a few times over:
    // the bins left a little of the other half in each.
    const auto wholeMisfit = [&](const std::vector<double>& r) {
        double lr = 0, rr = 0, ll = 0;
        for (std::size_t i = 0; i < n; ++i) {
            if (!(r[i] > 0))
                return HUGE_VAL;
            lr += lengths[i] * r[i];
            rr += r[i] * r[i];
            ll += lengths[i] * lengths[i];
        }
        return ll - lr * lr / rr;
    };
    for (int sweep = 0; thorough && sweep < 2 && std::isfinite(lowest); ++sweep)
        for (int half = 0; half < 2; ++half) {
            const AngleTerms& mine = half ? thetaTerms : phiTerms;
            const double* other = best.data() + (half ? 0 : 4);
            const std::vector<double> held =
                halfValues({int(other[0]), int(other[1]), int(other[2]), int(other[3])},
                           half ? phiTerms : thetaTerms);
            for (const HalfTerms& t : halves) {
                std::vector<double> r = halfValues(t, mine);
                for (std::size_t i = 0; i < n; ++i)
                    r[i] += held[i];
                if (const double cost = wholeMisfit(r); cost < lowest) {
                    lowest = cost;
                    double* into = best.data() + (half ? 4 : 0);
                    into[0] = t.f;
                    into[1] = t.e;
                    into[2] = t.g;
                    into[3] = t.h;
                }
            }
        }
    return lowest;
}

// Solves the pose and scale of one set of whole numbers, in place.
void solvePose(HarmonicStart& s, const std::vector<FitPoint>& points,
               const SurfaceFitOptions& options, double size, int iterations, int threads) {
    ceres::Problem::Options problemOptions;
    problemOptions.loss_function_ownership = ceres::DO_NOT_TAKE_OWNERSHIP;
    ceres::Problem problem(problemOptions);
    ceres::CauchyLoss cauchy(0.01 * size);
    ceres::LossFunction* loss = options.robust ? &cauchy : nullptr;
    for (const FitPoint& p : points)
        problem.AddResidualBlock(new ceres::AutoDiffCostFunction<HarmonicResidual, 1, 3, 3, 1>(
                                     new HarmonicResidual{s.m, {p[0], p[1], p[2]}}),
                                 loss, s.rotation.data(), s.translation.data(), &s.scale);
    problem.SetParameterLowerBound(&s.scale, 0, 1e-6 * size);
    ceres::Solver::Options solverOptions;
    solverOptions.linear_solver_type = ceres::DENSE_QR;
    solverOptions.max_num_iterations = iterations;
    solverOptions.num_threads = threads;
    solverOptions.logging_type = ceres::SILENT;
    solverOptions.function_tolerance = 1e-10;
    solverOptions.parameter_tolerance = 1e-10;
    Stopped stopped(options.stop);
    solverOptions.callbacks.push_back(&stopped);
    ceres::Solver::Summary summary;
    ceres::Solve(solverOptions, &problem, &summary);
    s.cost = summary.IsSolutionUsable() && std::isfinite(summary.final_cost) ? summary.final_cost
                                                                             : HUGE_VAL;
    s.iterations += int(summary.iterations.size());
    s.converged = summary.termination_type == ceres::CONVERGENCE;
    s.message = summary.message;
}

// The points nearest a start's surface, 80% of them: the search scores by
// least squares, which a point far off (an outlier) sways as much as many
// near ones, so with a robust loss it looks only at these.
std::vector<FitPoint> nearestShare(const HarmonicStart& s, const std::vector<FitPoint>& points) {
    std::vector<std::pair<double, std::size_t>> gaps;
    for (std::size_t i = 0; i < points.size(); ++i) {
        double r = 0;
        HarmonicResidual{s.m, {points[i][0], points[i][1], points[i][2]}}(
            s.rotation.data(), s.translation.data(), &s.scale, &r);
        gaps.emplace_back(std::isfinite(r) ? std::fabs(r) : HUGE_VAL, i);
    }
    const std::size_t kept = std::max<std::size_t>(10, points.size() * 4 / 5);
    std::nth_element(gaps.begin(), gaps.begin() + std::ptrdiff_t(std::min(kept, gaps.size())),
                     gaps.end());
    std::vector<FitPoint> near;
    for (std::size_t k = 0; k < std::min(kept, gaps.size()); ++k)
        near.push_back(points[gaps[k].second]);
    return near;
}

// The pose starts: 64 directions spread evenly over the sphere (a
// Fibonacci lattice) as the harmonic's z axis, each turned about itself in
// 16 steps, at the points' centre and scaled so that a radius of 2 (the
// sphere's) meets their mean distance. A harmonic is often nearly round, so
// the points' principal axes need not tell its own.
std::vector<HarmonicStart> poseStarts(const PrincipalFrame& frame) {
    std::vector<HarmonicStart> starts;
    constexpr int directions = 64, spins = 16;
    for (int d = 0; d < directions; ++d) {
        const double z = 1 - (2 * d + 1) / double(directions);
        const double around = d * std::numbers::pi * (3 - std::sqrt(5.0));
        const Eigen::Vector3d axis(std::sqrt(1 - z * z) * std::cos(around),
                                   std::sqrt(1 - z * z) * std::sin(around), z);
        const Eigen::Vector3d x = axis.unitOrthogonal();
        Eigen::Matrix3d turn;
        turn.col(0) = x;
        turn.col(1) = axis.cross(x);
        turn.col(2) = axis;
        for (int spin = 0; spin < spins; ++spin) {
            const Eigen::AngleAxisd rotation(
                turn *
                Eigen::AngleAxisd(2 * std::numbers::pi * spin / spins, Eigen::Vector3d::UnitZ()));
            const Eigen::Vector3d v = rotation.axis() * rotation.angle();
            HarmonicStart s;
            s.rotation = {v[0], v[1], v[2]};
            s.translation = frame.centre;
            s.scale = frame.meanRadius / 2;
            starts.push_back(s);
        }
    }
    return starts;
}

SceneValues harmonicScene(const HarmonicStart& s) {
    ScenePrimitives fresh;
    fresh.select("\"sh");
    SceneValues v = fresh.values();
    v.sliceCount = 96;
    v.rotateCount = 96;
    v.thetaMin = 0;
    v.thetaMax = 3.14159265f;
    for (int k = 0; k < 8; ++k)
        v.coefh[k] = float(s.m[k]);
    v.pose = fittedPose(s.rotation.data(), s.translation.data(), s.scale);
    return v;
}

// Runs `work(k)` for k below `count` among the threads, each result in its
// own slot, so the outcome does not depend on the thread count; no more
// once the fit is asked to stop.
template <class Work>
void shared(std::size_t count, int threads, const SurfaceFitOptions& options, const Work& work) {
    std::atomic<std::size_t> next{0};
    const auto run = [&] {
        for (std::size_t k; (k = next++) < count && !stopAsked(options);)
            work(k);
    };
    std::vector<std::thread> helpers;
    for (int t = 1; t < std::min(threads, int(count)); ++t)
        helpers.emplace_back(run);
    run();
    for (std::thread& t : helpers)
        t.join();
}

} // namespace

std::vector<double> harmonicPointDistances(const std::vector<FitPoint>& points,
                                           const SceneValues& scene) {
    const ScenePose pose = scene.pose.value_or(ScenePose{});
    Coefficients m;
    for (int k = 0; k < 8; ++k)
        m[k] = scene.coefh[k];
    const double rotation[3] = {pose.axis[0] * double(pose.angle),
                                pose.axis[1] * double(pose.angle),
                                pose.axis[2] * double(pose.angle)};
    const double translation[3] = {pose.translation[0], pose.translation[1], pose.translation[2]};
    const double scale = pose.scale;
    std::vector<double> distances;
    for (const FitPoint& p : points) {
        double q[3];
        toShapeFrame(p.data(), rotation, translation, &scale, q);
        const double d = scale * harmonicClosestDistance(m, q);
        distances.push_back(std::isfinite(d) ? d : HUGE_VAL);
    }
    return distances;
}

SurfaceFitResult fitHarmonic(const std::vector<FitPoint>& points,
                             const SurfaceFitOptions& options) {
    const auto began = std::chrono::steady_clock::now();
    SurfaceFitResult result;
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
    FitPoint low = points[0], high = points[0];
    for (const FitPoint& p : points)
        for (int k = 0; k < 3; ++k) {
            low[k] = std::min(low[k], p[k]);
            high[k] = std::max(high[k], p[k]);
        }
    const double size = std::hypot(high[0] - low[0], high[1] - low[1], high[2] - low[2]);
    const int threads = std::max(1, options.threads);
    const std::vector<FitPoint> first = sampleOf(points, 200, options.randomKey);
    const std::vector<FitPoint> few = sampleOf(points, 400, options.randomKey);
    const std::vector<FitPoint> more =
        sampleOf(points, std::size_t(std::min(options.refineSample, 3000)), options.randomKey);
    // Then the 8 searched again from their solved poses (the centre and the
    // turn about the axis now close) and solved on more points; the best of
    // them to convergence.
    std::vector<HarmonicStart> starts = poseStarts(*frame);
    // Every start's whole numbers searched (cheap: sums of tabled terms),
    // the best 8 starts' poses solved a few steps.
    std::vector<double> searched(starts.size());
    shared(starts.size(), threads, options, [&](std::size_t k) {
        searched[k] = searchWholeNumbers(starts[k], first, false, starts[k].m);
        if (options.progress)
            options.progress(0.5 * double(k + 1) / double(starts.size()));
    });
    std::vector<std::size_t> order(starts.size());
    for (std::size_t k = 0; k < order.size(); ++k)
        order[k] = k;
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return searched[a] < searched[b]; });
    std::vector<HarmonicStart> kept;
    for (std::size_t k = 0; k < std::min<std::size_t>(8, order.size()); ++k)
        if (std::isfinite(searched[order[k]]))
            kept.push_back(starts[order[k]]);
    if (stopAsked(options))
        return stoppedFit();
    shared(kept.size(), threads, options,
           [&](std::size_t k) { solvePose(kept[k], few, options, size, 15, 1); });
    int iterations = 0;
    shared(kept.size(), threads, options, [&](std::size_t k) {
        HarmonicStart& s = kept[k];
        Coefficients again;
        const std::vector<FitPoint> searchedOn = options.robust ? nearestShare(s, more) : more;
        if (std::isfinite(searchWholeNumbers(s, searchedOn, true, again)) && again != s.m) {
            HarmonicStart other = s;
            other.m = again;
            solvePose(other, more, options, size, 30, 1);
            solvePose(s, more, options, size, 30, 1);
            if (other.cost < s.cost)
                s = other;
        } else {
            solvePose(s, more, options, size, 30, 1);
        }
    });
    if (stopAsked(options))
        return stoppedFit();
    if (kept.empty()) {
        result.error = "no whole numbers give a radius above 0 at every point";
        return result;
    }
    std::size_t best = 0;
    for (std::size_t k = 1; k < kept.size(); ++k)
        if (kept[k].cost < kept[best].cost)
            best = k;
    HarmonicStart& s = kept[best];
    if (kept.empty() || !std::isfinite(s.cost)) {
        result.error = "no start reached a surface the points' distances are finite for";
        return result;
    }
    solvePose(s, more, options, size, options.maxIterations, threads);
    if (stopAsked(options))
        return stoppedFit();
    if (options.progress)
        options.progress(1);
    for (const HarmonicStart& k : kept)
        iterations += k.iterations;
    result.solved = true;
    result.iterations = iterations;
    result.starts = int(starts.size());
    result.scene = harmonicScene(s);
    result.distances = measureFit(points, result.scene);
    result.converged = s.converged || result.distances.rms < 1e-6 * result.distances.size;
    result.solverMessage = s.message;
    result.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    return result;
}

} // namespace Vextal
