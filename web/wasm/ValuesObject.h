#pragma once

// A scene's values as a plain JavaScript object, for the page's controls to
// show and edit, and back.
#include "scene/SceneValues.h"

#include <emscripten/val.h>

namespace Vextal {

// {surface: "spheric" | "toric" | "harmonic" | "formula", slice, rotate,
// closed, phiMin, phiMax, thetaMin, thetaMax, coef1: [6], coef2: [6],
// coefh: [8], formula: {x, y, z, parameters: [{name, value, low, high}]},
// pose: null or {axis: [3], angle, translation: [3], scale}}.
emscripten::val valuesObject(const SceneValues& values);

// The values such an object holds; a field that is missing or of the wrong
// kind keeps the loader's default (the load of the written text then
// judges the values as it judges a file's).
SceneValues valuesFrom(const emscripten::val& object);

} // namespace Vextal
