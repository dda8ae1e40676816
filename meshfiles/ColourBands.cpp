#include "meshfiles/ColourBands.h"

#include "colour/ColourMaps.h"
#include "colour/ColourMode.h"
#include "mesh/PolygonsIndexed.h"

#include <algorithm>
#include <cmath>

namespace Vextal {

namespace {

std::string bandName(const std::string& mode, double low, double high) {
    char text[96];
    std::snprintf(text, sizeof text, "%s %.4g to %.4g", mode.c_str(), low, high);
    return text;
}

} // namespace

TriangleMaterials bandTriangles(const PolygonsIndexed& mesh, const VertexColours& colours,
                                int bands) {
    bands = std::clamp(bands, fewestBands, mostBands);
    const std::optional<ColourMode> mode = colourModeNamed(colours.mode);
    const ColourTable& map = mode && isSignedMode(*mode) ? divergingMap : sequentialMap;
    const double low = colours.low, width = (double(colours.high) - low) / bands;
    TriangleMaterials materials;
    for (int k = 0; k < bands; ++k) {
        materials.names.push_back(bandName(colours.mode, low + k * width, low + (k + 1) * width));
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
        const double band = finite > 0 ? std::floor((sum / finite - low) / width) : 0.0;
        materials.ofTriangle[t] = std::uint8_t(std::clamp(band, 0.0, double(bands - 1)));
    }
    return materials;
}

} // namespace Vextal
