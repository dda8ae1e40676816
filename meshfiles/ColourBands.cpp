#include "meshfiles/ColourBands.h"

#include "colour/ColourMaps.h"
#include "colour/ColourMode.h"
#include "colour/RangeLabels.h"
#include "mesh/PolygonsIndexed.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace Vextal {

namespace {

// "height 0.25 to 0.5", in as many digits as tell every band's ends apart.
std::string bandName(const std::string& mode, double low, double high, int digits) {
    return mode + " " + withDigits(low, digits) + " to " + withDigits(high, digits);
}

// The mean of the triangle's finite corner values; NaN when none is finite.
double triangleMean(const Triangle& f, const std::vector<float>& values) {
    double sum = 0;
    int finite = 0;
    for (const std::uint32_t v : {f.i0, f.i1, f.i2})
        if (std::isfinite(values[v])) {
            sum += values[v];
            ++finite;
        }
    return finite > 0 ? sum / finite : std::numeric_limits<double>::quiet_NaN();
}

// The colouring's range in equal bands: bands + 1 edges.
std::vector<double> equalEdges(double low, double high, int bands) {
    std::vector<double> edges;
    for (int k = 0; k <= bands; ++k)
        edges.push_back(low + (high - low) * k / bands);
    return edges;
}

// Edges at the lowest and highest triangle mean and, between them, at the
// triangles' quantiles, each edge a value some triangle takes and above the
// edge before it, so that the triangle at an edge lies in the band it
// begins. The quantiles are those of some 16 thousand triangles evenly
// spread over the mesh: each band's share within a percent of the whole's.
// Empty when the triangles take fewer distinct values than there are bands.
std::vector<double> quantileEdges(const PolygonsIndexed& mesh, const std::vector<float>& values,
                                  int bands) {
    constexpr std::uint32_t sampled = 1u << 14;
    const std::uint32_t stride = std::max<std::uint32_t>(1, mesh.triangleCount / sampled);
    double low = std::numeric_limits<double>::infinity(), high = -low;
    std::vector<double> sample;
    for (std::uint32_t t = 0; t < mesh.triangleCount; ++t) {
        const double mean = triangleMean(mesh.triangles[t], values);
        if (!std::isfinite(mean))
            continue;
        low = std::min(low, mean);
        high = std::max(high, mean);
        if (t % stride == 0)
            sample.push_back(mean);
    }
    std::sort(sample.begin(), sample.end());
    std::vector<double> edges{low};
    for (int k = 1; k < bands; ++k) {
        auto at = sample.begin() + std::ptrdiff_t(double(k) * double(sample.size()) / bands);
        if (at == sample.end() || *at <= edges.back())
            at = std::upper_bound(sample.begin(), sample.end(), edges.back());
        if (at == sample.end())
            return {};
        edges.push_back(*at);
    }
    edges.push_back(high);
    return edges;
}

// The band of a value: the edges it has reached; NaN the first band.
// A span of no width (or not finite) is all its middle band, as the colour
// map has it.
std::uint8_t bandOf(double value, const std::vector<double>& edges) {
    const double width = edges.back() - edges.front();
    if (!std::isfinite(width) || width == 0)
        return std::uint8_t((edges.size() - 1) / 2);
    if (!(value >= edges[1]))
        return 0;
    const auto inner = std::upper_bound(edges.begin() + 1, edges.end() - 1, value);
    return std::uint8_t(inner - (edges.begin() + 1));
}

} // namespace

TriangleMaterials bandTriangles(const PolygonsIndexed& mesh, const VertexColours& colours,
                                int bands, BandSpan span) {
    bands = std::clamp(bands, fewestBands, mostBands);
    const std::optional<ColourMode> mode = colourModeNamed(colours.mode);
    const bool signedValues = mode && isSignedMode(*mode);
    std::vector<double> edges;
    if (span == BandSpan::occurringValues)
        edges = quantileEdges(mesh, colours.values, bands);
    if (edges.empty())
        edges = equalEdges(colours.low, colours.high, bands);
    // The map over the span the bands cut, balanced about 0 for a signed
    // colouring as the other outputs draw it: white stays at 0.
    double drawnLow = edges.front(), drawnHigh = edges.back();
    if (signedValues && span == BandSpan::occurringValues) {
        drawnHigh = std::max(std::fabs(drawnLow), std::fabs(drawnHigh));
        drawnLow = -drawnHigh;
    }
    const ColourTable& map = signedValues ? divergingMap : sequentialMap;
    const int digits = digitsApart(edges, 4);
    TriangleMaterials materials;
    for (int k = 0; k < bands; ++k) {
        materials.names.push_back(bandName(colours.mode, edges[k], edges[k + 1], digits));
        materials.colours.push_back(mapColour(map, float(drawnLow), float(drawnHigh),
                                              float(edges[k] / 2 + edges[k + 1] / 2)));
    }
    materials.ofTriangle.resize(mesh.triangleCount);
    for (std::uint32_t t = 0; t < mesh.triangleCount; ++t)
        materials.ofTriangle[t] = bandOf(triangleMean(mesh.triangles[t], colours.values), edges);
    return materials;
}

} // namespace Vextal
