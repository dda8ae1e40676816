#pragma once

#include "primitives/SurfaceValues.h"

#include <string>

namespace Vextal {

// The values as a canonical scene file: the selector, one command a line, the
// surface's coefficients only ("coef1" and "coef2" for a superformula,
// "coefh" for the harmonic), the "pose" when one was set, then "render". Every number is written in
// the fewest digits that read back as the same float, so loading the text gives the same surface,
// bit for bit, and the same text again (coefficients of a surface not drawn are left out, so they
// come back as their defaults); counts are written as given (the loader's count rule applies when
// the text is loaded).
std::string sceneText(const SceneValues& values);

} // namespace Vextal
