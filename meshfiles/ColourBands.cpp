#include "meshfiles/ColourBands.h"

#include "colour/ColourMaps.h"
#include "colour/ColourMode.h"
#include "colour/RangeLabels.h"
#include "mesh/PolygonsIndexed.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace Vextal {

namespace {

// "height 0.25 to 0.5", in as many digits as tell every band's ends apart.
std::string bandName(const std::string& mode, double low, double high, int digits) {
    return mode + " " + withDigits(low, digits) + " to " + withDigits(high, digits);
}

// The band a value falls in: the end bands beyond the range; a range of no
// width (or not finite) is all its middle band, as the colour map has it.
int bandOf(double value, double low, double width, int bands) {
    if (!std::isfinite(width) || width == 0)
        return bands / 2;
    const double band = std::floor((value - low) / width);
    if (!(band > 0))
        return 0;
    return band < bands - 1 ? int(band) : bands - 1;
}

} // namespace

TriangleMaterials bandTriangles(const PolygonsIndexed& mesh, const VertexColours& colours,
                                int bands) {
    bands = std::clamp(bands, fewestBands, mostBands);
    const std::optional<ColourMode> mode = colourModeNamed(colours.mode);
    const ColourTable& map = mode && isSignedMode(*mode) ? divergingMap : sequentialMap;
    const double low = colours.low, width = (double(colours.high) - low) / bands;
    std::vector<double> edges;
    for (int k = 0; k <= bands; ++k)
        edges.push_back(low + k * width);
    const int digits = digitsApart(edges, 4);
    TriangleMaterials materials;
    for (int k = 0; k < bands; ++k) {
        materials.names.push_back(bandName(colours.mode, edges[k], edges[k + 1], digits));
        materials.colours.push_back(
            mapColour(map, colours.low, colours.high, float(low + (k + 0.5) * width)));
    }
    materials.ofTriangle.resize(mesh.triangleCount);
    for (std::uint32_t t = 0; t < mesh.triangleCount; ++t) {
        const Triangle& f = mesh.triangles[t];
        double sum = 0;
        int finite = 0;
        for (const std::uint32_t v : {f.i0, f.i1, f.i2})
            if (std::isfinite(colours.values[v])) {
                sum += colours.values[v];
                ++finite;
            }
        materials.ofTriangle[t] =
            std::uint8_t(finite > 0 ? bandOf(sum / finite, low, width, bands) : 0);
    }
    return materials;
}

} // namespace Vextal
