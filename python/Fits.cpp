#include "python/Fits.h"

#include "fit/SurfaceFit.h"
#include "fit/TypedSurfaceFit.h"
#include "mesh/Workers.h"
#include "python/Errors.h"
#include "python/Interruptible.h"
#include "python/Numbers.h"
#include "python/Scenes.h"
#include "scene/SceneExplanation.h"

#include <pybind11/numpy.h>

#include <algorithm>
#include <cmath>
#include <optional>

namespace py = pybind11;

namespace VextalPython {

namespace {

// What vextal.fit tells beside the scene: the fit's distances and effort.
struct FitReport {
    Vextal::FitDistances distances;
    bool converged = false;
    int iterations = 0, starts = 0;
    double seconds = 0;
    std::size_t points = 0, notFinite = 0;
    std::string solverMessage;
};

// The rows of an n x 3 array of real numbers; those with a coordinate that
// is not finite are left out and counted, as vextal-fit does.
std::vector<Vextal::FitPoint> pointsOf(const py::object& given, std::size_t& notFinite) {
    const auto array =
        py::array_t<double, py::array::c_style | py::array::forcecast>::ensure(given);
    if (!array || array.ndim() != 2 || array.shape(1) != 3)
        raiseValueError("points must be an n x 3 array of numbers, got " + shownValue(given, true));
    std::vector<Vextal::FitPoint> points;
    const auto rows = array.unchecked<2>();
    for (py::ssize_t k = 0; k < rows.shape(0); ++k) {
        const Vextal::FitPoint p{rows(k, 0), rows(k, 1), rows(k, 2)};
        if (std::isfinite(p[0]) && std::isfinite(p[1]) && std::isfinite(p[2]))
            points.push_back(p);
        else
            ++notFinite;
    }
    return points;
}

constexpr const char* surfacesTaken =
    "surface must be 'spheric', 'toric', 'harmonic' or a vextal.Scene of a typed surface";

// What surface= asks for: one of the fit's own surfaces, or the typed scene
// whose named parameters and pose are fitted.
struct FitRequest {
    Vextal::SurfaceFitOptions options;
    std::optional<Vextal::SceneValues> typed;
};

void takeSurface(const py::object& surface, FitRequest& request) {
    if (py::isinstance<Scene>(surface)) {
        const Vextal::SceneValues& values = surface.cast<const Scene&>().values;
        if (values.surface != Vextal::SurfaceKind::formula)
            raiseValueError(std::string(surfacesTaken) + ", got a Scene of a " +
                            Vextal::surfaceName(values.surface));
        request.typed = values;
        return;
    }
    constexpr std::pair<const char*, Vextal::SurfaceKind> words[] = {
        {"spheric", Vextal::SurfaceKind::spheric},
        {"toric", Vextal::SurfaceKind::toric},
        {"harmonic", Vextal::SurfaceKind::harmonic},
    };
    if (py::isinstance<py::str>(surface))
        for (const auto& [word, kind] : words)
            if (surface.cast<std::string>() == word) {
                request.options.surface = kind;
                return;
            }
    raiseValueError(std::string(surfacesTaken) + ", got " +
                    shownValue(surface, !py::isinstance<py::str>(surface)));
}

// The finite number a fix holds a name at.
double heldNumber(const std::string& name, const py::handle& value) {
    const double number = realNumber(value, name.c_str(), "must be a finite number");
    if (!std::isfinite(number))
        raiseValueError(name + " must be a finite number, got " + shownValue(value));
    return number;
}

// A superformula's number held: one of its twelve, above 0 (an order 0 or more).
double superformulaFix(const std::string& name, const py::handle& key, const py::handle& value) {
    if (!Vextal::isFixableName(name))
        raiseValueError("fix takes coef1.n1 .. coef1.b, coef1.m and the same of coef2, got " +
                        shownValue(key));
    const double number = heldNumber(name, value);
    if (name.ends_with(".m") ? number < 0 : !(number > 0))
        raiseValueError(name + " must be above 0 (an order m 0 or more), got " + shownValue(value));
    return number;
}

// A typed scene's parameter held: one it names, within its range (the fit
// keeps every parameter there).
double typedFix(const Vextal::SceneValues& scene, const std::string& name, const py::handle& key,
                const py::handle& value) {
    const auto& parameters = scene.formula.parameters;
    const auto held =
        std::find_if(parameters.begin(), parameters.end(),
                     [&](const Vextal::FormulaParameter& p) { return p.name == name; });
    if (held == parameters.end()) {
        std::string names;
        for (const Vextal::FormulaParameter& p : parameters)
            names += (names.empty() ? "" : ", ") + p.name;
        raiseValueError("fix takes the typed scene's parameters (" +
                        (names.empty() ? std::string("it has none") : names) + "), got " +
                        shownValue(key));
    }
    const double number = heldNumber(name, value);
    if (held->low < held->high && !(float(number) >= held->low && float(number) <= held->high))
        raiseValueError(name + " must be within its range " + Vextal::shortestText(held->low) +
                        " to " + Vextal::shortestText(held->high) + ", got " + shownValue(value));
    return number;
}

FitRequest requestOf(const py::object& surface, const py::object& symmetry, const py::object& fix,
                     bool robust, const py::object& threads, const py::object& seed) {
    FitRequest request;
    takeSurface(surface, request);
    Vextal::SurfaceFitOptions& options = request.options;
    // The harmonic's whole numbers are searched, never held.
    if (!request.typed && options.surface == Vextal::SurfaceKind::harmonic &&
        !(symmetry.is_none() && fix.is_none()))
        raiseValueError("symmetry and fix hold a superformula's numbers; the harmonic's are "
                        "searched");
    if (request.typed && !symmetry.is_none())
        raiseValueError("symmetry holds a superformula's order; a typed scene has its own "
                        "parameters");
    if (!symmetry.is_none())
        options.symmetry =
            int(wholeNumber(symmetry, "symmetry", "must be a whole number from 0 to 64", 0, 64));
    if (!fix.is_none()) {
        if (!py::isinstance<py::dict>(fix))
            raiseValueError("fix must be a dict of names to numbers, got " + shownValue(fix, true));
        for (const auto& [key, value] : fix.cast<py::dict>()) {
            if (!py::isinstance<py::str>(key))
                raiseValueError("fix takes names (str), got " + shownValue(key, true));
            const std::string name = py::str(key);
            options.fixed.emplace_back(name, request.typed
                                                 ? typedFix(*request.typed, name, key, value)
                                                 : superformulaFix(name, key, value));
        }
    }
    options.robust = robust;
    options.threads = int(Vextal::allCores());
    if (!threads.is_none())
        options.threads =
            int(wholeNumber(threads, "threads", "must be a whole number from 1 to 1024", 1, 1024));
    options.randomKey = std::uint64_t(
        wholeNumber(seed, "seed", "must be a whole number from 0 to 2**63 - 1", 0, LLONG_MAX));
    return request;
}

py::tuple fit(const py::object& points, const py::object& surface, const py::object& symmetry,
              const py::object& fix, bool robust, const py::object& threads,
              const py::object& seed) {
    FitRequest request = requestOf(surface, symmetry, fix, robust, threads, seed);
    FitReport report;
    const std::vector<Vextal::FitPoint> given = pointsOf(points, report.notFinite);
    Vextal::Workers workers;
    Vextal::SurfaceFitResult result;
    runInterruptibly(workers, [&] {
        request.options.stop = workers.stop;
        result = request.typed ? Vextal::fitTypedSurface(given, *request.typed, request.options)
                               : Vextal::fitSurface(given, request.options);
    });
    if (!result.solved)
        raiseValueError("points: " + result.error);
    report.distances = result.distances;
    report.converged = result.converged;
    report.iterations = result.iterations;
    report.starts = result.starts;
    report.seconds = result.seconds;
    report.points = given.size();
    report.solverMessage = result.solverMessage;
    return py::make_tuple(Scene{result.scene, {}}, report);
}

std::string representation(const FitReport& r) {
    char text[200];
    std::snprintf(text, sizeof text,
                  "FitReport(rms=%.6g, largest=%.6g, size=%.6g, within_one_percent=%.4g, "
                  "converged=%s)",
                  r.distances.rms, r.distances.largest, r.distances.size,
                  r.distances.withinOnePercent, r.converged ? "True" : "False");
    return text;
}

} // namespace

void bindFits(py::module_& module) {
    py::class_<FitReport>(module, "FitReport",
                          "How well a fitted surface fits the points: distances in the points' "
                          "units, to each point's closest surface point")
        .def_property_readonly("rms", [](const FitReport& r) { return r.distances.rms; })
        .def_property_readonly("largest", [](const FitReport& r) { return r.distances.largest; })
        .def_property_readonly("size", [](const FitReport& r) { return r.distances.size; })
        .def_property_readonly("within_one_percent",
                               [](const FitReport& r) { return r.distances.withinOnePercent; })
        .def_readonly("converged", &FitReport::converged)
        .def_readonly("iterations", &FitReport::iterations)
        .def_readonly("starts", &FitReport::starts)
        .def_readonly("seconds", &FitReport::seconds)
        .def_readonly("points", &FitReport::points)
        .def_readonly("not_finite", &FitReport::notFinite)
        .def_readonly("solver_message", &FitReport::solverMessage)
        .def("__repr__", &representation);
    module.def("fit", &fit, py::arg("points"), py::arg("surface") = "spheric", py::kw_only(),
               py::arg("symmetry") = py::none(), py::arg("fix") = py::none(),
               py::arg("robust") = false, py::arg("threads") = py::none(), py::arg("seed") = 1,
               R"(Fits a surface with its pose to an n x 3 array of points.

Returns (Scene, FitReport): the scene places the surface with its pose, as
vextal-fit writes it. Rows with a NaN or infinite coordinate are left out and
counted. surface is 'spheric', 'toric', 'harmonic' (its whole numbers
searched) or a Scene of a typed surface, whose named parameters (within their
ranges) and pose are fitted: the scene returned is it with the fitted values
and a pose. symmetry holds a superformula's order m of phi; fix holds
numbers, as {'coef1.n1': 2}, or a typed scene's parameters, as {'R': 1.4};
robust uses a loss under which outliers hardly pull; the same seed gives the
same fit for any threads. Raises ValueError when the points cannot hold a
surface (fewer than 10, on a plane, a line or a point); Ctrl-C stops it.)");
}

} // namespace VextalPython
