#include "colour/VertexColouring.h"

#include "colour/ColourMaps.h"
#include "colour/SurfaceCurvature.h"
#include "mesh/PolygonsIndexedNormal.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace Vextal {

namespace {

constexpr float nan = std::numeric_limits<float>::quiet_NaN();

float finiteOrNan(double value) {
    const float rounded = static_cast<float>(value);
    return std::isfinite(rounded) ? rounded : nan;
}

// Blocks of some 16 thousand vertices: the curvature costs more per vertex
// than the tessellation does.
std::uint32_t minBlockRings(const RingGrid& grid) {
    return std::max<std::uint32_t>(1, (1u << 14) / std::max<std::uint32_t>(1, grid.columns));
}

// Curvature per vertex from the formula at the vertex's angles: the angle
// parts once per ring and per column, combined per vertex.
void curvatureValues(const SceneValues& values, const RingGrid& grid, const VertexAngles& angles,
                     bool gaussian, float* out, const Workers& workers) {
    const SurfaceDerivatives surface(values);
    std::vector<AngleJets> columns(grid.columns);
    for (std::uint32_t c = 0; c < grid.columns; ++c)
        columns[c] = surface.atPhi(angles.phis[c]);
    const auto valueAt = [&](const AngleJets& theta, const AngleJets& phi) {
        const Curvature k = curvatureOf(surface.point(theta, phi));
        return finiteOrNan(gaussian ? k.gaussian : k.mean);
    };
    forEachBlock(workers, grid.rings, minBlockRings(grid),
                 [&](std::uint32_t first, std::uint32_t end) {
                     for (std::uint32_t ring = first; ring < end; ++ring) {
                         const AngleJets theta = surface.atTheta(angles.thetas[ring]);
                         float* row = out + grid.vertex(ring, 0);
                         for (std::uint32_t c = 0; c < grid.columns; ++c)
                             row[c] = valueAt(theta, columns[c]);
                     }
                 });
    if (grid.capped) {
        const AngleJets poleColumn = surface.atPhi(0.0);
        out[grid.endPole()] = valueAt(surface.atTheta(angles.endPoleTheta), poleColumn);
        out[grid.startPole()] = valueAt(surface.atTheta(angles.startPoleTheta), poleColumn);
    }
}

// The checks of the parameter colouring: about 8 across theta and 16 around
// phi, each at least two grid cells wide.
struct Checks {
    std::uint32_t theta, phi;
};
Checks checksOf(const RingGrid& grid) {
    return {std::clamp<std::uint32_t>((grid.rings + 1) / 2, 1, 8),
            std::clamp<std::uint32_t>(grid.columns / 2, 1, 16)};
}

std::uint32_t checkOf(double angle, double low, double high, std::uint32_t count) {
    const double fraction = (angle - low) / (high - low);
    if (!(fraction > 0))
        return 0;
    return std::min(count - 1, static_cast<std::uint32_t>(fraction * count));
}

Rgb8 darkened(Rgb8 colour) {
    return {std::uint8_t(colour.r * 5 / 8), std::uint8_t(colour.g * 5 / 8),
            std::uint8_t(colour.b * 5 / 8)};
}

// Theta as the value and on the sequential map; every other check of the
// theta x phi checker darker, so both directions of the grid show.
void parameterColours(const SceneValues& values, const RingGrid& grid, const VertexAngles& angles,
                      VertexColours& out) {
    const Checks checks = checksOf(grid);
    const double thetaLow = values.thetaMin, thetaHigh = values.thetaMax;
    const double phiLow = values.phiMin, phiHigh = values.phiMax;
    const auto paint = [&](std::uint32_t index, double theta, double phi) {
        out.values[index] = finiteOrNan(theta);
        const Rgb8 base = mapColour(sequentialMap, out.low, out.high, out.values[index]);
        const std::uint32_t parity = checkOf(theta, thetaLow, thetaHigh, checks.theta) +
                                     checkOf(phi, phiLow, phiHigh, checks.phi);
        out.colours[index] = parity % 2 ? darkened(base) : base;
    };
    for (std::uint32_t ring = 0; ring < grid.rings; ++ring)
        for (std::uint32_t c = 0; c < grid.columns; ++c)
            paint(grid.vertex(ring, c), angles.thetas[ring], angles.phis[c]);
    if (grid.capped) {
        paint(grid.endPole(), angles.endPoleTheta, 0.0);
        paint(grid.startPole(), angles.startPoleTheta, 0.0);
    }
}

} // namespace

VertexAngles vertexAngles(const SceneValues& values, const RingGrid& grid) {
    VertexAngles angles;
    const std::uint32_t slices = grid.rings + 1;
    const double thetaStep = (double(values.thetaMax) - double(values.thetaMin)) / slices;
    const double phiStep = (double(values.phiMax) - double(values.phiMin)) / grid.columns;
    double theta = double(values.thetaMin) + thetaStep;
    for (std::uint32_t ring = 0; ring < grid.rings; ++ring, theta += thetaStep)
        angles.thetas.push_back(theta);
    double phi = values.phiMin;
    for (std::uint32_t c = 0; c < grid.columns; ++c, phi += phiStep)
        angles.phis.push_back(phi);
    angles.endPoleTheta = values.thetaMax;
    angles.startPoleTheta = values.thetaMin;
    return angles;
}

ColourRange percentileRange(std::span<const float> values, bool signedValues) {
    std::vector<float> finite;
    finite.reserve(values.size());
    for (float value : values)
        if (std::isfinite(value))
            finite.push_back(signedValues ? std::fabs(value) : value);
    if (finite.empty())
        return signedValues ? ColourRange{-1, 1} : ColourRange{0, 1};
    const auto at = [&finite](double fraction) {
        const auto k = static_cast<std::ptrdiff_t>(fraction * double(finite.size() - 1) + 0.5);
        std::nth_element(finite.begin(), finite.begin() + k, finite.end());
        return finite[k];
    };
    if (signedValues) {
        const float magnitude = at(0.98);
        return magnitude > 0 ? ColourRange{-magnitude, magnitude} : ColourRange{-1, 1};
    }
    const float low = at(0.02), high = at(0.98);
    return high > low ? ColourRange{low, high} : ColourRange{low - 1, low + 1};
}

VertexColours colourVertices(const SceneValues& values, const PolygonsIndexedNormal& mesh,
                             const ColourRequest& request, const Workers& workers) {
    VertexColours out;
    out.mode = colourModeName(request.mode);
    const RingGrid& grid = mesh.ringGrid();
    if (request.mode == ColourMode::plain || grid.rings == 0)
        return out;
    out.values.resize(mesh.vertexCount);
    out.colours.resize(mesh.vertexCount);
    const VertexAngles angles = vertexAngles(values, grid);
    if (request.mode == ColourMode::parameter) {
        const ColourRange range =
            request.range.value_or(ColourRange{values.thetaMin, values.thetaMax});
        out.low = range.low;
        out.high = range.high;
        parameterColours(values, grid, angles, out);
        return out;
    }
    float* value = out.values.data();
    switch (request.mode) {
    case ColourMode::gaussian:
    case ColourMode::mean:
        curvatureValues(values, grid, angles, request.mode == ColourMode::gaussian, value, workers);
        break;
    case ColourMode::height:
        for (std::uint32_t i = 0; i < mesh.vertexCount; ++i)
            value[i] = finiteOrNan(mesh.vertices[i].z);
        break;
    default: {
        for (std::uint32_t i = 0; i < mesh.vertexCount; ++i) {
            const Vec3 p = mesh.vertices[i];
            value[i] =
                finiteOrNan(std::sqrt(double(p.x) * p.x + double(p.y) * p.y + double(p.z) * p.z));
        }
    }
    }
    const bool signedValues = isSignedMode(request.mode);
    const ColourRange range = request.range.value_or(percentileRange(out.values, signedValues));
    out.low = range.low;
    out.high = range.high;
    const ColourTable& table = signedValues ? divergingMap : sequentialMap;
    for (std::uint32_t i = 0; i < mesh.vertexCount; ++i)
        out.colours[i] = mapColour(table, out.low, out.high, value[i]);
    return out;
}

} // namespace Vextal
