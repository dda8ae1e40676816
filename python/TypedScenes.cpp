#include "python/TypedScenes.h"

#include "base/EscapedText.h"
#include "mesh/PolygonsIndexedNormal.h"
#include "python/Errors.h"
#include "python/Scenes.h"
#include "scene/SceneExplanation.h"

#include <pybind11/stl.h>

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace py = pybind11;

namespace VextalPython {

namespace {

using Vextal::FormulaParameter;
using Vextal::SurfaceKind;

// The values as the loader reads them back: a typed scene holds only values
// that load, so what is made here is what every program makes of its text.
Scene checked(const Vextal::SceneValues& values) {
    const std::string text = Vextal::sceneText(values);
    Vextal::PolygonsIndexedNormal mesh;
    const Vextal::SceneLoadResult loaded = Vextal::loadSceneText(text, mesh);
    if (!loaded.rendered()) {
        const Vextal::SceneExplanation explained = Vextal::explainScene(text);
        raiseSceneError("scene text:" + std::to_string(explained.stopLine) + ": " + explained.stop,
                        std::nullopt, explained.stopLine);
    }
    return {loaded.values, {}};
}

Scene& typed(Scene& scene, const char* attribute) {
    if (scene.values.surface != SurfaceKind::formula)
        raiseValueError(std::string(attribute) + " belongs to a typed surface ('typed'), not to '" +
                        Vextal::surfaceName(scene.values.surface) + "'");
    return scene;
}

using Range = std::pair<double, double>;
// A parameter: a value alone (its range then spans it, 0..2 v for v > 0) or
// (value, low, high).
using ParameterGiven = std::variant<double, std::vector<double>>;

std::vector<FormulaParameter> parametersOf(const std::map<std::string, ParameterGiven>& given) {
    std::vector<FormulaParameter> out;
    for (const auto& [name, one] : given) {
        const std::vector<double> numbers = std::holds_alternative<double>(one)
                                                ? std::vector<double>{std::get<double>(one)}
                                                : std::get<std::vector<double>>(one);
        if (numbers.size() != 1 && numbers.size() != 3)
            raiseValueError("params['" + Vextal::escaped(name) +
                            "'] must be a value or (value, low, high)");
        const float value = float(numbers[0]);
        float low = numbers.size() == 3 ? float(numbers[1]) : std::min(0.0f, 2 * value);
        float high = numbers.size() == 3 ? float(numbers[2]) : std::max(0.0f, 2 * value);
        if (low == high) {
            low -= 1;
            high += 1;
        }
        out.push_back({name, value, low, high});
    }
    return out;
}

Scene parametric(const std::string& x, const std::string& y, const std::string& z, Range u, Range v,
                 const std::map<std::string, ParameterGiven>& params, std::optional<int> slices,
                 std::optional<int> rotations) {
    Vextal::SceneValues values;
    values.surface = SurfaceKind::formula;
    values.closed = false;
    values.sliceCount = slices.value_or(64);
    values.rotateCount = rotations.value_or(64);
    values.thetaMin = float(u.first);
    values.thetaMax = float(u.second);
    values.phiMin = float(v.first);
    values.phiMax = float(v.second);
    values.formula = {x, y, z, parametersOf(params)};
    return checked(values);
}

py::dict parameterDict(const Scene& s) {
    py::dict out;
    for (const FormulaParameter& p : s.values.formula.parameters)
        out[py::str(p.name)] = py::make_tuple(p.value, p.low, p.high);
    return out;
}

void setText(Scene& s, int which, const std::string& text) {
    Vextal::SceneValues values = typed(s, which == 0 ? "x" : which == 1 ? "y" : "z").values;
    (which == 0 ? values.formula.x : which == 1 ? values.formula.y : values.formula.z) = text;
    s.values = checked(values).values;
}

} // namespace

void bindTypedScenes(py::module_& module) {
    py::object scene = module.attr("Scene");
    const py::object property = py::module_::import("builtins").attr("property");
    scene.attr("parametric") = py::staticmethod(py::cpp_function(
        &parametric, py::arg("x"), py::arg("y"), py::arg("z"), py::arg("u"), py::arg("v"),
        py::arg("params") = std::map<std::string, ParameterGiven>{}, py::kw_only(),
        py::arg("slices") = py::none(), py::arg("rotations") = py::none(),
        R"(A typed surface: x, y and z as expressions of u, v, t and the parameters,
u and v as (low, high) ranges, params as {name: value} or
{name: (value, low, high)}. Raises SceneError, with the column, for an
expression the loader refuses.)"));
    const char* names[3] = {"x", "y", "z"};
    for (int k = 0; k < 3; ++k)
        scene.attr(names[k]) = property(
            py::cpp_function([k](Scene& s) {
                const auto& f = typed(s, k == 0 ? "x" : k == 1 ? "y" : "z").values.formula;
                return k == 0 ? f.x : k == 1 ? f.y : f.z;
            }),
            py::cpp_function([k](Scene& s, const std::string& text) { setText(s, k, text); }));
    const auto range = [&](bool isU) {
        return property(py::cpp_function([isU](Scene& s) {
                            const Vextal::SceneValues& v =
                                typed(s, isU ? "u_range" : "v_range").values;
                            return isU ? py::make_tuple(v.thetaMin, v.thetaMax)
                                       : py::make_tuple(v.phiMin, v.phiMax);
                        }),
                        py::cpp_function([isU](Scene& s, Range r) {
                            Vextal::SceneValues values =
                                typed(s, isU ? "u_range" : "v_range").values;
                            (isU ? values.thetaMin : values.phiMin) = float(r.first);
                            (isU ? values.thetaMax : values.phiMax) = float(r.second);
                            s.values = checked(values).values;
                        }));
    };
    scene.attr("u_range") = range(true);
    scene.attr("v_range") = range(false);
    scene.attr("params") =
        property(py::cpp_function([](Scene& s) { return parameterDict(typed(s, "params")); }),
                 py::cpp_function([](Scene& s, const std::map<std::string, ParameterGiven>& given) {
                     Vextal::SceneValues values = typed(s, "params").values;
                     values.formula.parameters = parametersOf(given);
                     s.values = checked(values).values;
                 }));
}

} // namespace VextalPython
