#pragma once

#include "scene/SceneValues.h"

namespace Vextal {

// The values between two scenes of the same surface: every number moved the
// fraction `along` of the way (0 gives `from` exactly, 1 gives `to`), the
// slice and rotate counts rounded to the nearest whole count; the surface and
// closed come from `from`. A morph's frame is the load of sceneText() of it.
// Typed surfaces blend their parameters (value and range) when both have
// the same expressions and parameter names (sameFormulas); the expressions
// are `from`'s.
SceneValues blendValues(const SceneValues& from, const SceneValues& to, double along);
bool sameFormulas(const SceneValues& a, const SceneValues& b);

} // namespace Vextal
