#include "export/TubeEnds.h"

#include "export/MeshWeld.h"
#include "mesh/RingGrid.h"

#include <cassert>
#include <cmath>
#include <numbers>

namespace Vextal {

bool thetaMakesFullTurn(float thetaMin, float thetaMax) {
    constexpr double turn = 2 * std::numbers::pi;
    return std::fabs(double(thetaMax) - double(thetaMin) - turn) <= weldRelativeTolerance * turn;
}

void joinTubeEnds(const RingGrid& grid, std::vector<Triangle>& triangles) {
    assert(grid.rings >= 2);
    const std::uint32_t columns = grid.columns;
    const std::uint32_t last = (grid.rings - 1) * columns;
    triangles.resize(2 * (grid.rings - 1) * columns); // the band; the caps follow it
    for (std::uint32_t j = 0; j < columns; ++j) {
        const std::uint32_t k = (j + 1) % columns;
        triangles.push_back({last + j, j, k});
        triangles.push_back({last + j, k, last + k});
    }
}

} // namespace Vextal
