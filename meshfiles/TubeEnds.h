#pragma once

#include "mesh/Vec3.h"

#include <vector>

namespace Vextal {

struct RingGrid;

// True when thetaMax - thetaMin is one full turn, to within the weld's
// relative tolerance of it: the grid's two ends then lie at the same angle,
// so the surface there is one ring that the tessellation leaves out.
bool thetaMakesFullTurn(float thetaMin, float thetaMax);

// Closes a tube whose theta makes a full turn, in triangles that follow the
// grid: the cap fans go (their poles meet at the seam, and the fans would
// span the hole), and one band joins the last ring to ring 0, in the band's
// corner order, across the ring the tessellation leaves out. Requires at
// least two rings.
void joinTubeEnds(const RingGrid& grid, std::vector<Triangle>& triangles);

} // namespace Vextal
