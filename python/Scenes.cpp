#include "python/Scenes.h"

#include "base/EscapedText.h"
#include "mesh/PolygonsIndexedNormal.h"
#include "python/Errors.h"
#include "python/Numbers.h"
#include "scene/SceneExplanation.h"
#include "scene/SceneRules.h"

#include <pybind11/stl.h>

#include <array>
#include <cmath>
#include <optional>
#include <span>

namespace py = pybind11;

namespace VextalPython {

namespace {

using Vextal::SceneLoadStatus;
using Vextal::SurfaceKind;

// A scene file's counts wrap at 256 when read; a finer mesh is the mesh's grid.
constexpr int maxSceneCount = 255;

constexpr std::pair<const char*, SurfaceKind> surfaces[] = {
    {"spheric", SurfaceKind::spheric},
    {"toric", SurfaceKind::toric},
    {"harmonic", SurfaceKind::harmonic},
    {"typed", SurfaceKind::formula},
};

const char* surfaceWord(SurfaceKind kind) {
    for (const auto& [word, surface] : surfaces)
        if (surface == kind)
            return word;
    return "toric";
}

SurfaceKind surfaceOf(const std::string& word) {
    for (const auto& [name, surface] : surfaces)
        if (word == name)
            return surface;
    raiseValueError("surface must be 'spheric', 'toric', 'harmonic' or 'typed', got '" +
                    Vextal::escaped(word) + "'");
}

bool stoppedInText(SceneLoadStatus status) {
    return status == SceneLoadStatus::badValue || status == SceneLoadStatus::badFormula ||
           status == SceneLoadStatus::endedBeforeRender ||
           status == SceneLoadStatus::noRenderInReach;
}

// Where and why reading the bytes stopped: "NAME:LINE: why".
[[noreturn]] void refuseText(std::string_view bytes, const std::string& name,
                             const std::optional<std::string>& path,
                             const Vextal::SceneLoadResult& loaded) {
    const Vextal::SceneExplanation explained = Vextal::explainScene(bytes);
    if (explained.rendered()) // the file changed between the two reads
        raiseSceneError(name + ": " + loaded.reason(), path, std::nullopt);
    raiseSceneError(name + ":" + std::to_string(explained.stopLine) + ": " + explained.stop, path,
                    explained.stopLine);
}

Scene loadFile(const std::string& path) {
    Vextal::PolygonsIndexedNormal mesh;
    Vextal::SceneLoadResult loaded;
    {
        py::gil_scoped_release unlocked;
        loaded = Vextal::loadSceneFile(path.c_str(), mesh);
    }
    if (loaded.rendered())
        return {loaded.values, path};
    if (loaded.status == SceneLoadStatus::cannotOpen)
        raiseOSError(path, std::strerror(loaded.errorNumber), loaded.errorNumber);
    Vextal::SceneBytes read;
    Vextal::SceneLoadResult refusal;
    if (stoppedInText(loaded.status) && Vextal::readSceneBytes(path.c_str(), read, refusal))
        refuseText(read.bytes, Vextal::escaped(path), path, loaded);
    raiseSceneError(Vextal::escaped(path) + ": " + loaded.reason(), path, std::nullopt);
}

Scene loadText(std::string_view text) {
    Vextal::PolygonsIndexedNormal mesh;
    const Vextal::SceneLoadResult loaded = Vextal::loadSceneText(text, mesh);
    if (!loaded.rendered())
        refuseText(text, "scene text", std::nullopt, loaded);
    return {loaded.values, {}};
}

// The values a file with only the selector gives: the surface's own defaults.
Scene defaultsOf(SurfaceKind surface) {
    Vextal::SceneValues values;
    values.surface = surface;
    const std::string text = Vextal::sceneText(values);
    return loadText(text.substr(0, text.find('\n') + 1) + "render\n");
}

float finite(double value, const char* name) {
    if (!std::isfinite(value) || std::abs(value) > 3.4028234663852886e38)
        raiseValueError(std::string(name) + " must be finite numbers within the float range, got " +
                        Vextal::escaped(py::str(py::float_(value)).cast<std::string>()));
    return float(value);
}

template <std::size_t N>
std::array<float, N> finiteValues(const py::object& given, const char* name) {
    if (!py::isinstance<py::sequence>(given) || py::isinstance<py::str>(given) ||
        py::isinstance<py::bytes>(given))
        raiseValueError(std::string(name) + " needs " + std::to_string(N) + " numbers, got " +
                        shownValue(given, true));
    const py::sequence items = given;
    if (items.size() != N)
        raiseValueError(std::string(name) + " needs " + std::to_string(N) + " values, got " +
                        std::to_string(items.size()));
    std::array<float, N> values{};
    for (std::size_t k = 0; k < N; ++k)
        values[k] = finite(realNumber(items[k], name, "must be numbers"), name);
    return values;
}

int sceneCount(const py::handle& count, const char* name) {
    const std::string needs =
        "must be from 3 to " + std::to_string(maxSceneCount) + " (a finer mesh: mesh(grid=...))";
    return int(wholeNumber(count, name, needs.c_str(), 3, maxSceneCount));
}

void setRange(float& start, float& end, const py::object& given, const char* name) {
    const auto pair = finiteValues<2>(given, name);
    const Vextal::AngleRange range = Vextal::rangeRule(pair[0], pair[1]);
    start = range.start;
    end = range.end;
}

template <std::size_t N> py::tuple tupleOf(const std::array<float, N>& values) {
    py::tuple tuple(N);
    for (std::size_t k = 0; k < N; ++k)
        tuple[k] = py::float_(values[k]);
    return tuple;
}

std::string listed(std::span<const float> values) {
    std::string text = "(";
    for (std::size_t k = 0; k < values.size(); ++k)
        text += (k ? ", " : "") + Vextal::shortestText(values[k]);
    return text + (values.size() == 1 ? ",)" : ")");
}

std::string representation(const Scene& scene) {
    const Vextal::SceneValues& v = scene.values;
    std::string text = std::string("vextal.Scene(surface='") + surfaceWord(v.surface) +
                       "', slices=" + std::to_string(v.sliceCount) +
                       ", rotations=" + std::to_string(v.rotateCount) +
                       ", closed=" + (v.closed ? "True" : "False") +
                       ", phi_range=" + listed(std::array{v.phiMin, v.phiMax}) +
                       ", theta_range=" + listed(std::array{v.thetaMin, v.thetaMax});
    if (v.surface == SurfaceKind::harmonic)
        text += ", coefh=" + listed(v.coefh);
    else if (v.surface == SurfaceKind::formula)
        text += ", x='" + Vextal::escaped(v.formula.x) + "', y='" + Vextal::escaped(v.formula.y) +
                "', z='" + Vextal::escaped(v.formula.z) + "'";
    else
        text += ", coef1=" + listed(v.coef1) + ", coef2=" + listed(v.coef2);
    return text + ")";
}

using Doubles = py::object; // a sequence of numbers

// The attribute setters, shared by the keyword constructor.
void setSlices(Scene& s, const py::object& count) {
    s.values.sliceCount = sceneCount(count, "slices");
}
void setRotations(Scene& s, const py::object& count) {
    s.values.rotateCount = sceneCount(count, "rotations");
}
void setPhi(Scene& s, const Doubles& v) {
    setRange(s.values.phiMin, s.values.phiMax, v, "phi_range");
}
void setTheta(Scene& s, const Doubles& v) {
    setRange(s.values.thetaMin, s.values.thetaMax, v, "theta_range");
}
void setCoef1(Scene& s, const Doubles& v) {
    s.values.coef1 = finiteValues<6>(v, "coef1");
}
void setCoef2(Scene& s, const Doubles& v) {
    s.values.coef2 = finiteValues<6>(v, "coef2");
}
void setCoefh(Scene& s, const Doubles& v) {
    s.values.coefh = finiteValues<8>(v, "coefh");
}

Scene fromKeywords(const std::string& surface, const py::object& slices,
                   const py::object& rotations, std::optional<bool> closed, const Doubles& phi,
                   const Doubles& theta, const Doubles& coef1, const Doubles& coef2,
                   const Doubles& coefh) {
    Scene scene = defaultsOf(surfaceOf(surface));
    if (!slices.is_none())
        setSlices(scene, slices);
    if (!rotations.is_none())
        setRotations(scene, rotations);
    if (closed)
        scene.values.closed = *closed;
    if (!phi.is_none())
        setPhi(scene, phi);
    if (!theta.is_none())
        setTheta(scene, theta);
    if (!coef1.is_none())
        setCoef1(scene, coef1);
    if (!coef2.is_none())
        setCoef2(scene, coef2);
    if (!coefh.is_none())
        setCoefh(scene, coefh);
    return scene;
}

// A scene travels as its canonical text, and its path, so that a copy in
// another process (pickle, multiprocessing) loads as the same scene.
py::tuple stateOf(const Scene& scene) {
    return py::make_tuple(Vextal::sceneText(scene.values),
                          scene.path.empty() ? py::object(py::none()) : py::str(scene.path));
}

Scene fromState(const py::tuple& state) {
    if (state.size() != 2)
        raiseValueError("a pickled vextal.Scene is (text, path), got " + shownValue(state));
    Scene scene = loadText(state[0].cast<std::string>());
    if (!state[1].is_none())
        scene.path = state[1].cast<std::string>();
    return scene;
}

} // namespace

std::string shownName(const Scene& scene) {
    return scene.path.empty() ? std::string("scene text") : Vextal::escaped(scene.path);
}

void bindScenes(py::module_& module) {
    py::class_<Scene> scene(module, "Scene",
                            R"(A Vextal scene: a surface and the values that shape it.

Made by vextal.load(path), Scene.from_text(text) or with keywords:
Scene(surface="spheric", slices=64, rotations=240, coef1=(2, 7, 7, 5, 1, 1)).
Unnamed keywords keep the surface's defaults, as a scene file that sets
nothing but the selector. Every attribute may be changed (so a Scene is not
hashable: text() is a key that is); text() gives the scene file that loads as
this scene. copy, deepcopy and pickle go through that text.)");
    scene
        .def(py::init(&fromKeywords), py::arg("surface") = "toric", py::kw_only(),
             py::arg("slices") = py::none(), py::arg("rotations") = py::none(),
             py::arg("closed") = py::none(), py::arg("phi_range") = py::none(),
             py::arg("theta_range") = py::none(), py::arg("coef1") = py::none(),
             py::arg("coef2") = py::none(), py::arg("coefh") = py::none())
        .def_static(
            "from_text", [](const std::string& text) { return loadText(text); }, py::arg("text"),
            R"(The scene that this scene file text describes, read as the loader reads a
file (the same rules, only the first 1 MiB). Raises SceneError.)")
        .def_property(
            "surface", [](const Scene& s) { return surfaceWord(s.values.surface); },
            [](Scene& s, const std::string& word) { s.values.surface = surfaceOf(word); },
            "'spheric', 'toric' or 'harmonic'.")
        .def_property(
            "slices", [](const Scene& s) { return s.values.sliceCount; }, &setSlices,
            "The scene's slices, 3 to 255.")
        .def_property(
            "rotations", [](const Scene& s) { return s.values.rotateCount; }, &setRotations,
            "The scene's rotations, 3 to 255.")
        .def_property(
            "closed", [](const Scene& s) { return s.values.closed; },
            [](Scene& s, bool closed) { s.values.closed = closed; },
            "Whether the surface is closed (\"close\") or left open (\"dontclose\").")
        .def_property(
            "phi_range",
            [](const Scene& s) {
                return tupleOf(std::array{s.values.phiMin, s.values.phiMax});
            },
            &setPhi, "(start, end) of phi; the smaller value starts it.")
        .def_property(
            "theta_range",
            [](const Scene& s) {
                return tupleOf(std::array{s.values.thetaMin, s.values.thetaMax});
            },
            &setTheta, "(start, end) of theta; the smaller value starts it.")
        .def_property(
            "coef1", [](const Scene& s) { return tupleOf(s.values.coef1); }, &setCoef1,
            "The superformula's first six values: n1 n2 n3 m a b.")
        .def_property(
            "coef2", [](const Scene& s) { return tupleOf(s.values.coef2); }, &setCoef2,
            "The superformula's second six values: n1 n2 n3 m a b.")
        .def_property(
            "coefh", [](const Scene& s) { return tupleOf(s.values.coefh); }, &setCoefh,
            "The harmonic's eight values m0 .. m7.")
        .def_property_readonly(
            "path",
            [](const Scene& s) {
                return s.path.empty() ? py::object(py::none()) : py::str(s.path);
            },
            "The file the scene was loaded from, or None.")
        .def(
            "text", [](const Scene& s) { return Vextal::sceneText(s.values); },
            "The scene as a canonical scene file, which loads as this scene.")
        .def("__repr__", &representation)
        .def("__eq__", [](const Scene& a, const Scene& b) { return a.values == b.values; })
        // Anything else is not equal, as Python's own objects answer.
        .def("__eq__",
             [](const Scene&, const py::object&) {
                 return py::reinterpret_borrow<py::object>(Py_NotImplemented);
             })
        .def("__copy__", [](const Scene& s) { return s; })
        .def(
            "__deepcopy__", [](const Scene& s, const py::object&) { return s; }, py::arg("memo"))
        .def(py::pickle(&stateOf, &fromState));

    module.def(
        "load", [](const py::object& path) { return loadFile(fileSystemPath(path)); },
        py::arg("path"),
        R"(Loads a scene file as the viewer and the tools load it.

Raises SceneError when the file is not a scene (with the line where reading
stopped), OSError when it cannot be read.)");
}

} // namespace VextalPython
