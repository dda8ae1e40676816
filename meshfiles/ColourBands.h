#pragma once

#include "mesh/VertexColours.h"
#include "meshfiles/ThreeMfWriter.h"

namespace Vextal {

class PolygonsIndexed;

// The fewest and the most bands a colouring may be cut into.
inline constexpr int fewestBands = 2;
inline constexpr int mostBands = 16;

// The colouring's range cut into `bands` equal bands, each a base material
// named by its range ("height 0.25 to 0.5") and shown in the colour map's
// colour at its middle; each triangle takes the band of the mean of its
// corners' finite values (values beyond the range take the end bands, a
// triangle with no finite corner the first). For printers that print each
// material in a filament of its own.
TriangleMaterials bandTriangles(const PolygonsIndexed& mesh, const VertexColours& colours,
                                int bands);

} // namespace Vextal
