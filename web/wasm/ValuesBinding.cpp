// The page's sliders edit a scene's values; the text they show is the one
// the scene writer makes of them, as the panel saves it.
#include "scene/SceneValues.h"
#include "web/wasm/ValuesObject.h"

#include <emscripten/bind.h>

#include <array>
#include <span>
#include <string>

namespace Vextal {

namespace {

using emscripten::val;

constexpr std::array<const char*, 4> surfaceNames = {"spheric", "toric", "harmonic", "formula"};

template <typename T> val arrayOf(std::span<const T> items) {
    val array = val::array();
    for (const T& item : items)
        array.call<void>("push", item);
    return array;
}

float numberOr(const val& object, const char* key, float fallback) {
    const val item = object[key];
    return item.isNumber() ? item.as<float>() : fallback;
}

std::string textOr(const val& object, const char* key, const std::string& fallback) {
    const val item = object[key];
    return item.isString() ? item.as<std::string>() : fallback;
}

template <std::size_t N>
void readArray(const val& object, const char* key, std::array<float, N>& out) {
    const val items = object[key];
    if (!items.isArray())
        return;
    for (std::size_t k = 0; k < N && k < items["length"].as<std::size_t>(); ++k)
        if (items[k].isNumber())
            out[k] = items[k].as<float>();
}

val poseObject(const ScenePose& pose) {
    val object = val::object();
    object.set("axis", arrayOf(std::span<const float>(pose.axis)));
    object.set("angle", pose.angle);
    object.set("translation", arrayOf(std::span<const float>(pose.translation)));
    object.set("scale", pose.scale);
    return object;
}

val formulaObject(const FormulaDefinition& formula) {
    val object = val::object();
    object.set("x", formula.x);
    object.set("y", formula.y);
    object.set("z", formula.z);
    val parameters = val::array();
    for (const FormulaParameter& p : formula.parameters) {
        val parameter = val::object();
        parameter.set("name", p.name);
        parameter.set("value", p.value);
        parameter.set("low", p.low);
        parameter.set("high", p.high);
        parameters.call<void>("push", parameter);
    }
    object.set("parameters", parameters);
    return object;
}

void readFormula(const val& object, FormulaDefinition& formula) {
    if (object.isNull() || object.typeOf().as<std::string>() != "object")
        return;
    formula.x = textOr(object, "x", formula.x);
    formula.y = textOr(object, "y", formula.y);
    formula.z = textOr(object, "z", formula.z);
    const val parameters = object["parameters"];
    if (!parameters.isArray())
        return;
    formula.parameters.clear();
    for (std::size_t k = 0; k < parameters["length"].as<std::size_t>(); ++k) {
        const val p = parameters[k];
        formula.parameters.push_back({textOr(p, "name", ""), numberOr(p, "value", 0),
                                      numberOr(p, "low", 0), numberOr(p, "high", 0)});
    }
}

void readPose(const val& object, std::optional<ScenePose>& pose) {
    if (object.isNull() || object.isUndefined()) {
        pose.reset();
        return;
    }
    ScenePose read;
    readArray(object, "axis", read.axis);
    read.angle = numberOr(object, "angle", read.angle);
    readArray(object, "translation", read.translation);
    read.scale = numberOr(object, "scale", read.scale);
    pose = read;
}

// The text the scene writer makes of the page's values.
std::string sceneTextOf(const val& object) {
    return sceneText(valuesFrom(object));
}

} // namespace

val valuesObject(const SceneValues& v) {
    val object = val::object();
    object.set("surface", std::string(surfaceNames[std::size_t(v.surface)]));
    object.set("slice", v.sliceCount);
    object.set("rotate", v.rotateCount);
    object.set("closed", v.closed);
    object.set("phiMin", v.phiMin);
    object.set("phiMax", v.phiMax);
    object.set("thetaMin", v.thetaMin);
    object.set("thetaMax", v.thetaMax);
    object.set("coef1", arrayOf(std::span<const float>(v.coef1)));
    object.set("coef2", arrayOf(std::span<const float>(v.coef2)));
    object.set("coefh", arrayOf(std::span<const float>(v.coefh)));
    object.set("formula", formulaObject(v.formula));
    object.set("pose", v.pose ? poseObject(*v.pose) : val::null());
    return object;
}

SceneValues valuesFrom(const val& object) {
    SceneValues v;
    const std::string surface = textOr(object, "surface", "toric");
    for (std::size_t k = 0; k < surfaceNames.size(); ++k)
        if (surface == surfaceNames[k])
            v.surface = SurfaceKind(k);
    // Counts outside an int's range are no counts a slider gives: the
    // defaults stay.
    const float slice = numberOr(object, "slice", float(v.sliceCount));
    const float rotate = numberOr(object, "rotate", float(v.rotateCount));
    if (slice >= 0 && slice <= 65535)
        v.sliceCount = int(slice);
    if (rotate >= 0 && rotate <= 65535)
        v.rotateCount = int(rotate);
    const val closed = object["closed"];
    if (closed.typeOf().as<std::string>() == "boolean")
        v.closed = closed.as<bool>();
    v.phiMin = numberOr(object, "phiMin", v.phiMin);
    v.phiMax = numberOr(object, "phiMax", v.phiMax);
    v.thetaMin = numberOr(object, "thetaMin", v.thetaMin);
    v.thetaMax = numberOr(object, "thetaMax", v.thetaMax);
    readArray(object, "coef1", v.coef1);
    readArray(object, "coef2", v.coef2);
    readArray(object, "coefh", v.coefh);
    readFormula(object["formula"], v.formula);
    readPose(object["pose"], v.pose);
    return v;
}

} // namespace Vextal

EMSCRIPTEN_BINDINGS(vextal_values) {
    emscripten::function("sceneTextOf", &Vextal::sceneTextOf);
}
