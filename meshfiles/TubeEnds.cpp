#include "meshfiles/TubeEnds.h"

#include "mesh/RingGrid.h"
#include "meshfiles/MeshWeld.h"

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
    triangles.resize(grid.bandTriangleCount()); // the band; the caps follow it
    // One more band cell per column, with the last ring as its first ring and
    // ring 0 as its next one.
    const std::uint32_t last = grid.rings - 1;
    for (std::uint32_t c = 0; c < grid.columns; ++c)
        for (const auto& corners : RingGrid::band) {
            std::uint32_t index[3];
            for (int k = 0; k < 3; ++k)
                index[k] =
                    grid.vertex(corners[k].ring == 0 ? last : 0, grid.column(c, corners[k].column));
            triangles.push_back({index[0], index[1], index[2]});
        }
}

} // namespace Vextal
