#include "python/CurveFits.h"

#include "fit/CurveFit.h"
#include "python/Errors.h"
#include "python/Numbers.h"
#include "python/Scenes.h"

#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <thread>

namespace py = pybind11;

namespace VextalPython {

namespace {

using Vextal::CurveFitResult;
using Vextal::CurvePoint;
using Vextal::PlacedCurve;

// How well the curve fits, as vextal-fit --curve reports it.
struct CurveReport {
    CurveFitResult fit;
    std::size_t points = 0, notFinite = 0;
};

std::vector<CurvePoint> pointsOf(const py::array_t<double, py::array::forcecast>& array,
                                 std::size_t& notFinite) {
    if (array.ndim() != 2 || array.shape(1) != 2)
        raiseValueError("points must be an n x 2 array of x y, got " +
                        std::to_string(array.ndim()) + " dimensions" +
                        (array.ndim() == 2 ? " of width " + std::to_string(array.shape(1)) : ""));
    const auto view = array.unchecked<2>();
    std::vector<CurvePoint> points;
    for (py::ssize_t k = 0; k < view.shape(0); ++k) {
        const double x = view(k, 0), y = view(k, 1);
        if (std::isfinite(x) && std::isfinite(y))
            points.push_back({x, y});
        else
            ++notFinite;
    }
    return points;
}

// "n1" or "coef1.n1" and the like, as --fix takes them.
std::vector<std::pair<std::string, double>> fixedOf(const py::dict& fix) {
    std::vector<std::pair<std::string, double>> fixed;
    for (const auto& [key, value] : fix) {
        std::string name = py::str(key);
        if (name.find('.') == std::string::npos)
            name = "coef1." + name;
        if (!Vextal::isCurveFixableName(name))
            raiseValueError("fix holds n1, n2, n3, m, a or b, got '" + std::string(py::str(key)) +
                            "'");
        const double number = realNumber(value, "fix", "needs finite numbers");
        if (!std::isfinite(number) || (name.ends_with(".m") ? number < 0 : !(number > 0)))
            raiseValueError("fix needs values above 0 (an order m of 0 or more), got " +
                            shownValue(value));
        fixed.emplace_back(name, number);
    }
    return fixed;
}

py::tuple fitCurve(const py::array_t<double, py::array::forcecast>& array,
                   const py::object& symmetry, const py::dict& fix, bool robust,
                   const py::object& threads, const py::object& seed) {
    CurveReport report;
    const std::vector<CurvePoint> points = pointsOf(array, report.notFinite);
    report.points = points.size();
    Vextal::CurveFitOptions options;
    if (!symmetry.is_none())
        options.symmetry =
            int(wholeNumber(symmetry, "symmetry", "needs a whole number from 0 to 64", 0, 64));
    options.fixed = fixedOf(fix);
    options.robust = robust;
    options.threads =
        threads.is_none()
            ? int(std::max(1u, std::thread::hardware_concurrency()))
            : int(wholeNumber(threads, "threads", "needs a whole number from 1 to 1024", 1, 1024));
    options.randomKey = std::uint64_t(wholeNumber(seed, "seed", "needs a whole number from 0", 0,
                                                  std::numeric_limits<long long>::max()));
    {
        py::gil_scoped_release unlocked;
        report.fit = Vextal::fitCurve(points, options);
    }
    if (!report.fit.solved)
        raiseValueError("no curve fits these points: " + report.fit.error);
    return py::make_tuple(report.fit.curve, report);
}

std::string number(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", v);
    return text;
}

py::array_t<double> curvePoints(const PlacedCurve& curve, py::ssize_t count) {
    if (count < 3 || count > 100'000'000)
        raiseValueError("count needs a whole number from 3 to 100000000, got " +
                        std::to_string(count));
    py::array_t<double> out({count, py::ssize_t(2)});
    auto view = out.mutable_unchecked<2>();
    for (py::ssize_t k = 0; k < count; ++k) {
        const double phi = -std::numbers::pi + 2 * std::numbers::pi * double(k) / double(count);
        const CurvePoint p = Vextal::curvePointAt(curve, phi);
        view(k, 0) = p[0];
        view(k, 1) = p[1];
    }
    return out;
}

} // namespace

void bindCurveFits(py::module_& module) {
    py::class_<PlacedCurve>(module, "Curve",
                            "A superformula curve r(phi) placed in the plane: its points are\n"
                            "centre + scale * R(rotation) * r(phi) (cos phi, sin phi).")
        .def_readonly("n1", &PlacedCurve::n1)
        .def_readonly("n2", &PlacedCurve::n2)
        .def_readonly("n3", &PlacedCurve::n3)
        .def_readonly("m", &PlacedCurve::m)
        .def_readonly("a", &PlacedCurve::a)
        .def_readonly("b", &PlacedCurve::b)
        .def_readonly("rotation", &PlacedCurve::rotation)
        .def_property_readonly(
            "centre", [](const PlacedCurve& c) { return py::make_tuple(c.centre[0], c.centre[1]); })
        .def_readonly("scale", &PlacedCurve::scale)
        .def("points", &curvePoints, py::arg("count") = 1024,
             "count points of the curve, evenly in phi, as an n x 2 array")
        .def(
            "scene",
            [](const PlacedCurve& c) {
                return Scene{Vextal::curveScene(c), ""};
            },
            "the scene vextal-fit --curve writes: a spheric surface whose coef1 is the\n"
            "curve and coef2 a circle, posed so that its equator is the curve")
        .def("__repr__", [](const PlacedCurve& c) {
            return "vextal.Curve(n1=" + number(c.n1) + ", n2=" + number(c.n2) +
                   ", n3=" + number(c.n3) + ", m=" + number(c.m) + ", a=" + number(c.a) +
                   ", b=" + number(c.b) + ", rotation=" + number(c.rotation) + ", centre=(" +
                   number(c.centre[0]) + ", " + number(c.centre[1]) +
                   "), scale=" + number(c.scale) + ")";
        });
    py::class_<CurveReport>(module, "CurveReport",
                            "How well a curve fits: distances along the rays from its centre\n"
                            "over their slope, in the points' units.")
        .def_property_readonly("rms", [](const CurveReport& r) { return r.fit.distances.rms; })
        .def_property_readonly("largest",
                               [](const CurveReport& r) { return r.fit.distances.largest; })
        .def_property_readonly("size", [](const CurveReport& r) { return r.fit.distances.size; })
        .def_property_readonly(
            "within_one_percent",
            [](const CurveReport& r) { return r.fit.distances.withinOnePercent; })
        .def_property_readonly("converged", [](const CurveReport& r) { return r.fit.converged; })
        .def_property_readonly("iterations", [](const CurveReport& r) { return r.fit.iterations; })
        .def_property_readonly("starts", [](const CurveReport& r) { return r.fit.starts; })
        .def_property_readonly("seconds", [](const CurveReport& r) { return r.fit.seconds; })
        .def_readonly("points", &CurveReport::points)
        .def_readonly("not_finite", &CurveReport::notFinite)
        .def("__repr__", [](const CurveReport& r) {
            return "vextal.CurveReport(rms=" + number(r.fit.distances.rms) +
                   ", largest=" + number(r.fit.distances.largest) +
                   ", size=" + number(r.fit.distances.size) +
                   ", within_one_percent=" + number(r.fit.distances.withinOnePercent) +
                   ", converged=" + (r.fit.converged ? "True" : "False") + ")";
        });
    module.def("fit_curve", &fitCurve, py::arg("points"), py::kw_only(),
               py::arg("symmetry") = py::none(), py::arg("fix") = py::dict(),
               py::arg("robust") = false, py::arg("threads") = py::none(), py::arg("seed") = 1,
               "Fits the superformula curve to an n x 2 array of an outline's points, as\n"
               "vextal-fit --curve does; rows with a NaN or infinite coordinate are left\n"
               "out. Returns (Curve, CurveReport); ValueError when the points hold no curve.");
}

} // namespace VextalPython
