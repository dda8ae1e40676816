#include "fit/FitStarts.h"

#include <Eigen/Dense>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace Vextal {

namespace {

double sq(double v) {
    return v * v;
}

constexpr std::size_t fewestPoints = 10;

struct Moments {
    Eigen::Vector3d centre = Eigen::Vector3d::Zero();
    Eigen::SelfAdjointEigenSolver<Eigen::Matrix3d> axes;
};

Moments momentsOf(const std::vector<FitPoint>& points) {
    Moments m;
    for (const FitPoint& p : points)
        m.centre += Eigen::Vector3d(p[0], p[1], p[2]);
    m.centre /= double(points.size());
    Eigen::Matrix3d covariance = Eigen::Matrix3d::Zero();
    for (const FitPoint& p : points) {
        const Eigen::Vector3d d = Eigen::Vector3d(p[0], p[1], p[2]) - m.centre;
        covariance += d * d.transpose();
    }
    m.axes.compute(covariance / double(points.size()));
    return m;
}

// How many of the three spreads are more than rounding beside the largest.
int dimensionsOf(const Moments& m) {
    const Eigen::Vector3d spread = m.axes.eigenvalues();
    if (!(spread[2] > 0))
        return 0;
    int count = 0;
    for (int k = 0; k < 3; ++k)
        count += spread[k] > 1e-10 * spread[2];
    return count;
}

std::optional<std::array<double, 2>>
orders(const std::vector<std::pair<std::string, double>>& fixed, const char* name) {
    for (const auto& [key, value] : fixed)
        if (key == name)
            return std::array<double, 2>{value, value};
    return std::nullopt;
}

// Places a start with its axis along `z` (unit), its first turn from `x`
// (made square to z), turned by `spin` about the axis, centred at `centre`.
void placeAt(FitStart& s, const Eigen::Vector3d& z, const Eigen::Vector3d& x,
             const Eigen::Vector3d& centre, double spin) {
    Eigen::Matrix3d turn;
    turn.col(0) = (x - x.dot(z) * z).normalized();
    turn.col(1) = z.cross(turn.col(0));
    turn.col(2) = z;
    const Eigen::Matrix3d spun = turn * Eigen::AngleAxisd(spin, Eigen::Vector3d::UnitZ());
    const Eigen::AngleAxisd rotation(spun);
    const Eigen::Vector3d vector = rotation.axis() * rotation.angle();
    s.rotation = {vector[0], vector[1], vector[2]};
    s.translation = {centre[0], centre[1], centre[2]};
}

Eigen::Vector3d vectorOf(const std::array<double, 3>& v) {
    return {v[0], v[1], v[2]};
}

// The axes the starts take for the surface's: the principal axes, and the
// open side of a scan from one side (often the axis the scan looked along),
// each with the principal axis most square to it as its first turn.
std::vector<std::pair<Eigen::Vector3d, Eigen::Vector3d>>
startAxes(const PrincipalFrame& frame, const std::optional<OpenSide>& open) {
    std::vector<std::pair<Eigen::Vector3d, Eigen::Vector3d>> axes;
    for (int axis = 0; axis < 3; ++axis)
        axes.emplace_back(vectorOf(frame.axes[axis]), vectorOf(frame.axes[(axis + 1) % 3]));
    if (open) {
        const Eigen::Vector3d z = vectorOf(open->direction);
        int squarest = 0;
        for (int k = 1; k < 3; ++k)
            if (std::fabs(z.dot(vectorOf(frame.axes[k]))) <
                std::fabs(z.dot(vectorOf(frame.axes[squarest]))))
                squarest = k;
        axes.emplace_back(z, vectorOf(frame.axes[squarest]));
    }
    return axes;
}

// How tall the points stand along `axis` beside how wide they spread
// across it, about a centre `offset` from theirs: the divisor b of a
// spheric start's theta formula, so that a flat shape starts flat. For a
// scan from one side centred at its rim this is the whole shape's, as if
// the missing half mirrored the seen one.
double heightOf(const PrincipalFrame& frame, const Eigen::Vector3d& axis,
                const Eigen::Vector3d& offset) {
    Eigen::Matrix3d covariance = Eigen::Matrix3d::Zero();
    for (int k = 0; k < 3; ++k)
        covariance +=
            frame.spread[k] * vectorOf(frame.axes[k]) * vectorOf(frame.axes[k]).transpose();
    const double along = axis.dot(covariance * axis) + sq(offset.dot(axis));
    const double across = 0.5 * (covariance.trace() - axis.dot(covariance * axis)) +
                          (offset - offset.dot(axis) * axis).squaredNorm();
    return std::clamp(std::sqrt(along / across), 0.05, 20.0);
}

// Where the starts are centred: the points' centre, and for a scan from one
// side also the cut at its rim, since there the
// surface's own centre lies, off the centre of the half that was seen.
std::vector<Eigen::Vector3d> startCentres(const PrincipalFrame& frame,
                                          const std::optional<OpenSide>& open) {
    const Eigen::Vector3d centre = vectorOf(frame.centre);
    if (!open)
        return {centre};
    const Eigen::Vector3d towards = vectorOf(open->direction) * open->reach;
    return {centre, centre + towards};
}

} // namespace

std::optional<PrincipalFrame> principalFrame(const std::vector<FitPoint>& points) {
    if (points.size() < fewestPoints)
        return std::nullopt;
    const Moments m = momentsOf(points);
    if (dimensionsOf(m) < 3)
        return std::nullopt;
    PrincipalFrame frame;
    for (int k = 0; k < 3; ++k) {
        frame.centre[k] = m.centre[k];
        frame.spread[k] = m.axes.eigenvalues()[k];
        for (int r = 0; r < 3; ++r)
            frame.axes[k][r] = m.axes.eigenvectors()(r, k);
    }
    for (const FitPoint& p : points)
        frame.meanRadius += (Eigen::Vector3d(p[0], p[1], p[2]) - m.centre).norm();
    frame.meanRadius /= double(points.size());
    return frame;
}

std::string principalFrameRefusal(const std::vector<FitPoint>& points) {
    if (points.size() < fewestPoints)
        return "a surface needs at least " + std::to_string(fewestPoints) +
               " points with finite coordinates; there are " + std::to_string(points.size());
    switch (dimensionsOf(momentsOf(points))) {
    case 0:
        return "all the points are the same point: they hold no surface";
    case 1:
        return "the points lie on a line: they hold no surface";
    case 2:
        return "the points lie on a plane: they enclose no volume for a surface to fit";
    default:
        return "";
    }
}

std::vector<FitStart> fitStarts(const PrincipalFrame& frame, const SurfaceFitOptions& options,
                                const std::optional<OpenSide>& open) {
    const bool toric = options.surface == SurfaceKind::toric;
    std::vector<double> phiOrders;
    if (const auto held = orders(options.fixed, "coef1.m"))
        phiOrders = {(*held)[0]};
    else if (options.symmetry)
        phiOrders = {double(*options.symmetry)};
    else
        for (int m = toric ? 0 : 1; m <= 8; ++m)
            phiOrders.push_back(m);
    std::vector<double> thetaOrders = toric ? std::vector<double>{0, 4} : std::vector<double>{4};
    if (const auto held = orders(options.fixed, "coef2.m"))
        thetaOrders = {(*held)[0]};
    // A round, a pointed and a boxy start for the exponents of both
    // formulas; the spheric surface also starts with petals, phi's n1
    // below 0 (the radius then grows with the terms' sum, as a flower's),
    // since no step crosses n1 = 0 to them.
    struct Exponents {
        double phi[3], theta[3];
    };
    std::vector<Exponents> exponents = {
        {{2, 2, 2}, {2, 2, 2}}, {{1, 1, 1}, {1, 1, 1}}, {{6, 6, 6}, {6, 6, 6}}};
    if (!toric)
        exponents.push_back({{-1, 1, 1}, {2, 2, 2}});
    std::vector<FitStart> starts;
    for (const Eigen::Vector3d& centre : startCentres(frame, open))
        for (const auto& [axis, first] : startAxes(frame, open))
            for (const double m1 : phiOrders)
                for (const double m2 : thetaOrders)
                    for (int spin = 0; spin < 2; ++spin)
                        for (const auto& n : exponents) {
                            FitStart s;
                            s.m1 = m1;
                            s.m2 = m2;
                            const double tube = toric ? 0.4 : 1.0;
                            const double height =
                                toric ? tube
                                      : heightOf(frame, axis, centre - vectorOf(frame.centre));
                            s.shape = {n.phi[0],   n.phi[1],   n.phi[2],   1,    1,
                                       n.theta[0], n.theta[1], n.theta[2], tube, height};
                            const double period = m1 > 0 ? 2 * std::numbers::pi / m1 : 0;
                            placeAt(s, axis, first, centre, 0.25 * spin * period);
                            s.scale = frame.meanRadius;
                            starts.push_back(s);
                        }
    return starts;
}

FitStart startFromScene(const SceneValues& scene) {
    FitStart s;
    const auto take = [](const std::array<float, 6>& c, double* into, double& m) {
        into[0] = c[0];
        into[1] = c[1];
        into[2] = c[2];
        into[3] = c[4];
        into[4] = c[5];
        m = c[3];
    };
    take(scene.coef1, s.shape.data(), s.m1);
    take(scene.coef2, s.shape.data() + 5, s.m2);
    if (scene.pose) {
        const ScenePose& p = *scene.pose;
        for (int k = 0; k < 3; ++k) {
            s.rotation[k] = double(p.axis[k]) * double(p.angle);
            s.translation[k] = p.translation[k];
        }
        s.scale = p.scale;
    }
    return s;
}

} // namespace Vextal
