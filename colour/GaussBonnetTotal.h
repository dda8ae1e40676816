#pragma once

#include "primitives/SurfaceValues.h"

#include <cstdint>

namespace Vextal {

// The integral of K dA over a scene's parameter domain, and how far it can
// still be from the true one.
struct GaussianTotal {
    double total = 0;
    // An upper estimate of |total - the true integral|: the total is the
    // 15-point Gauss-Kronrod rule on each panel, the estimate what the
    // embedded 7-point Gauss rule differs from it by, which is far more
    // than the Kronrod rule's own error on a smooth surface.
    double error = 0;
    bool settled = false;     // error within `settledTurns` turns (2 pi each)
    std::uint64_t points = 0; // points of the formula evaluated
};

// The error a total may keep and still count as settled, in turns of 2 pi:
// far below what tells one Euler characteristic from the next.
inline constexpr double settledTurns = 1e-6;

// The total from the formula alone, on panels of its own in both angles, so
// the result does not depend on the file's grid. The panels whose estimate
// is largest are halved, and those alone evaluated again, until the total
// settles or some 4 million points have been spent (sharp arms need their
// panels small, smooth stretches do not). With `refine` false one pass on the
// starting panels only: where the formula has kinks no refinement settles.
// Points where K dA is not finite are left out.
GaussianTotal gaussianTotal(const SceneValues& values, bool refine = true);

} // namespace Vextal
