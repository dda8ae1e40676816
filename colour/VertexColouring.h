#pragma once

#include "colour/ColourMode.h"
#include "mesh/RingGrid.h"
#include "mesh/VertexColours.h"
#include "mesh/Workers.h"
#include "primitives/SurfaceValues.h"

#include <optional>
#include <span>
#include <vector>

namespace Vextal {

class PolygonsIndexedNormal;

// The values drawn at the colour map's two ends.
struct ColourRange {
    float low;
    float high;
};

// What to colour by, and the range when not the values' own.
struct ColourRequest {
    ColourMode mode = ColourMode::plain;
    std::optional<ColourRange> range;
};

// Colours the mesh a load made (the load's `values`, SceneLoadResult::values,
// and its mesh, a ring grid): one value per vertex, from the formula at the
// vertex's own theta and phi, and its colour. Plain gives no values and no
// colours: the material is drawn. Without a range in the request it is the
// values' own (percentileRange). The rings of a large grid are shared among
// the workers, with the same result.
VertexColours colourVertices(const SceneValues& values, const PolygonsIndexedNormal& mesh,
                             const ColourRequest& request, const Workers& workers = {});

// The values alone, one per vertex (NaN where not finite; theta for the
// parameter colouring); none for plain.
std::vector<float> vertexValues(const SceneValues& values, const PolygonsIndexedNormal& mesh,
                                ColourMode mode, const Workers& workers = {});

// The range a colour map spans by default: the 2nd to the 98th percentile of
// the finite values, so that a few spikes at sharp tips do not wash out the
// rest; for signed values -m..m, m the 98th percentile of their magnitudes.
// Never empty: a single value v gives v - 1..v + 1, wider where v is too large
// to tell v + 1 from it (signed: -1..1 for 0).
ColourRange percentileRange(std::span<const float> values, bool signedValues);

// The angles each vertex of a ring grid was made at, as the tessellation
// advanced them: per ring, per column, and the two poles (both at phi 0).
struct VertexAngles {
    std::vector<double> thetas; // one per ring
    std::vector<double> phis;   // one per column
    double endPoleTheta = 0, startPoleTheta = 0;
};
// For a typed surface, the u of each row and the v of each column of its
// sheet (gridOf's rings and columns).
VertexAngles vertexAngles(const SceneValues& values, const RingGrid& grid);

// The grid the colourings walk: the mesh's ring grid, or a typed surface's
// sheet as uncapped rings (rows) of its columns, vertex for vertex.
RingGrid gridOf(const SceneValues& values, const PolygonsIndexedNormal& mesh);

} // namespace Vextal
