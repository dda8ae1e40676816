#pragma once

#include "mesh/VertexColours.h"
#include "meshfiles/ThreeMfWriter.h"

namespace Vextal {

class PolygonsIndexed;

// The fewest and the most bands a colouring may be cut into.
inline constexpr int fewestBands = 2;
inline constexpr int mostBands = 16;

// Where the bands are cut. `colourRange`: the colouring's range (one the
// user gave) in equal bands. `occurringValues`: the values the triangles
// take, from the lowest to the highest, cut where each band holds an equal
// share of the triangles, so that no filament is left without a band to
// print (the values of curvature crowd about a few and spike at sharp tips:
// equal bands over them leave bands empty).
enum class BandSpan { colourRange, occurringValues };

// The colouring cut into `bands` bands, each a base material named by its
// range ("height 0.25 to 0.5") and shown in the colour map's colour at its
// middle, the map spread over the span (for a signed colouring over -m..m
// about it, so that 0 stays white). Each triangle takes the band of the
// mean of its corners' finite values (values beyond the span take the end
// bands, a triangle with no finite corner the first). With
// `occurringValues` every band holds a triangle unless fewer distinct
// values than bands occur; where they are all one value or none is finite,
// the colouring's range is cut instead. For printers that print each
// material in a filament of its own.
TriangleMaterials bandTriangles(const PolygonsIndexed& mesh, const VertexColours& colours,
                                int bands, BandSpan span);

} // namespace Vextal
