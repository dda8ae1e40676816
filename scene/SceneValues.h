#pragma once

#include "primitives/FormulaDefinition.h"

#include <array>
#include <cstdint>
#include <string>

namespace Vextal {

enum class SurfaceKind { spheric, toric, harmonic, formula };

// Every value a scene file sets, as a load left them: the selected surface,
// its grid, the superformula that "coef1" and "coef2" set (the spheric one
// when the spheric surface is selected, else the toric one) and the
// harmonic's "coefh". Plain data, for a person to edit and write back.
struct SceneValues {
    SurfaceKind surface = SurfaceKind::toric;
    int sliceCount = 10;
    int rotateCount = 10;
    bool closed = true;
    float phiMin = 0, phiMax = 0, thetaMin = 0, thetaMax = 0;
    std::array<float, 6> coef1{}; // n1 n2 n3 m a b
    std::array<float, 6> coef2{};
    std::array<float, 8> coefh{}; // m0 .. m7
    FormulaDefinition formula;    // the typed surface's expressions and parameters

    bool operator==(const SceneValues&) const = default;
};

// The values as a canonical scene file: the selector, one command a line, the
// surface's coefficients only ("coef1" and "coef2" for a superformula,
// "coefh" for the harmonic), then "render". Every number is written in the
// fewest digits that read back as the same float, so loading the text gives
// the same surface, bit for bit, and the same text again (coefficients of a
// surface not drawn are left out, so they come back as their defaults);
// counts are written as given (the loader's count rule applies when the text
// is loaded).
std::string sceneText(const SceneValues& values);

} // namespace Vextal
