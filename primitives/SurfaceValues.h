#pragma once

#include "primitives/FormulaDefinition.h"
#include "primitives/SurfacePose.h"

#include <array>
#include <cstdint>
#include <optional>

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
    std::array<float, 8> coefh{};  // m0 .. m7
    FormulaDefinition formula;     // the typed surface's expressions and parameters
    std::optional<ScenePose> pose; // set only by a "pose" command

    bool operator==(const SceneValues&) const = default;
};

} // namespace Vextal
