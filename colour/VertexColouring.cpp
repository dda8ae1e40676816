#include "colour/VertexColouring.h"

#include "colour/ColourMaps.h"
#include "colour/FormulaCurvature.h"
#include "colour/SurfaceCurvature.h"
#include "mesh/PolygonsIndexedNormal.h"
#include "mesh/VectorClones.h"
#include "primitives/PrimitiveFormula.h"

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
// parts once per ring and per column, combined per vertex a row at a time.
void curvatureValues(const SceneValues& values, const RingGrid& grid, const VertexAngles& angles,
                     bool gaussian, float* out, const Workers& workers) {
    const SurfaceDerivatives surface(values);
    PhiColumns columns;
    for (std::uint32_t c = 0; c < grid.columns; ++c)
        columns.push(surface.atPhi(angles.phis[c]));
    const auto store = [gaussian](const CurvatureRow& row, float* to) {
        const std::vector<double>& chosen = gaussian ? row.gaussian : row.mean;
        for (std::size_t c = 0; c < chosen.size(); ++c)
            to[c] = finiteOrNan(chosen[c]);
    };
    forEachBlock(workers, grid.rings, minBlockRings(grid),
                 [&](std::uint32_t first, std::uint32_t end) {
                     CurvatureRow row(grid.columns);
                     for (std::uint32_t ring = first; ring < end; ++ring) {
                         surface.curvatureRow(surface.atTheta(angles.thetas[ring]), columns, row);
                         store(row, out + grid.vertex(ring, 0));
                     }
                 });
    if (grid.capped) {
        PhiColumns poleColumn;
        poleColumn.push(surface.atPhi(0.0));
        CurvatureRow pole(1);
        for (const auto& [theta, index] : {std::pair{angles.endPoleTheta, grid.endPole()},
                                           std::pair{angles.startPoleTheta, grid.startPole()}}) {
            surface.curvatureRow(surface.atTheta(theta), poleColumn, pole);
            store(pole, out + index);
        }
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

// A range of no width is one check; the fraction is bounded before it
// becomes an index, whatever the division gave.
std::uint32_t checkOf(double angle, double low, double high, std::uint32_t count) {
    const double fraction = (angle - low) / (high - low);
    if (!(fraction > 0))
        return 0;
    if (!(fraction < 1))
        return count - 1;
    return std::min(count - 1, static_cast<std::uint32_t>(fraction * count));
}

Rgb8 darkened(Rgb8 colour) {
    return {std::uint8_t(colour.r * 5 / 8), std::uint8_t(colour.g * 5 / 8),
            std::uint8_t(colour.b * 5 / 8)};
}

// Theta as the value and on the sequential map; every other check of the
// theta x phi checker darker, so both directions of the grid show.
// The value and the colour depend on theta alone but for the checker's
// parity, so both are worked out once per ring, the parity once per column.
void parameterColours(const SceneValues& values, const RingGrid& grid, const VertexAngles& angles,
                      VertexColours& out) {
    const Checks checks = checksOf(grid);
    std::vector<std::uint8_t> columnParity(grid.columns);
    for (std::uint32_t c = 0; c < grid.columns; ++c)
        columnParity[c] = checkOf(angles.phis[c], values.phiMin, values.phiMax, checks.phi) % 2;
    const auto ringOf = [&](double theta, std::uint32_t first, std::uint32_t count,
                            const std::uint8_t* parity) {
        const float value = finiteOrNan(theta);
        const Rgb8 colours[2] = {mapColour(sequentialMap, out.low, out.high, value),
                                 darkened(mapColour(sequentialMap, out.low, out.high, value))};
        const std::uint32_t own =
            checkOf(theta, values.thetaMin, values.thetaMax, checks.theta) % 2;
        for (std::uint32_t c = 0; c < count; ++c) {
            out.values[first + c] = value;
            out.colours[first + c] = colours[own ^ parity[c]];
        }
    };
    for (std::uint32_t ring = 0; ring < grid.rings; ++ring)
        ringOf(angles.thetas[ring], grid.vertex(ring, 0), grid.columns, columnParity.data());
    if (grid.capped) {
        const std::uint8_t parity = checkOf(0.0, values.phiMin, values.phiMax, checks.phi) % 2;
        ringOf(angles.endPoleTheta, grid.endPole(), 1, &parity);
        ringOf(angles.startPoleTheta, grid.startPole(), 1, &parity);
    }
}

// The distance of each vertex from the origin. The squares are taken in
// double: in float those of small coordinates are subnormal, and slow.
VEXTAL_VECTOR_CLONES
void radii(const Vec3* vertices, std::uint32_t count, float* out) {
    for (std::uint32_t i = 0; i < count; ++i) {
        const Vec3 p = vertices[i];
        const float r = float(std::sqrt(double(p.x) * p.x + double(p.y) * p.y + double(p.z) * p.z));
        out[i] = std::isfinite(r) ? r : nan;
    }
}

// A range about a single value v: v - 1..v + 1, or wider in proportion where
// 1 is lost in v's rounding, kept within the floats so that it is never
// empty.
ColourRange rangeAround(float v) {
    const double half = std::max(1.0, std::fabs(double(v)) / 1024);
    const double most = std::numeric_limits<float>::max();
    return {float(std::max(-most, double(v) - half)), float(std::min(most, double(v) + half))};
}

} // namespace

RingGrid gridOf(const SceneValues& values, const PolygonsIndexedNormal& mesh) {
    const std::uint32_t columns = mesh.sheetColumns();
    if (values.surface != SurfaceKind::formula || columns == 0)
        return mesh.ringGrid();
    return {mesh.vertexCount / columns, columns, false};
}

VertexAngles vertexAngles(const SceneValues& values, const RingGrid& grid) {
    if (values.surface == SurfaceKind::formula) {
        if (grid.rings < 2 || grid.columns < 2)
            return {};
        return {formulaRowValues(values.thetaMin, values.thetaMax, grid.rings - 1),
                formulaColumnValues(values.phiMin, values.phiMax, grid.columns - 1)};
    }
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
    // Percentiles of some 16 thousand values evenly spread over them: within
    // a hundredth of a percent of the whole's, at a fraction of the cost.
    constexpr std::size_t sampled = 1u << 14;
    const std::size_t stride = std::max<std::size_t>(1, values.size() / sampled);
    std::vector<float> finite;
    finite.reserve(values.size() / stride + 1);
    for (std::size_t k = 0; k < values.size(); k += stride)
        if (std::isfinite(values[k]))
            finite.push_back(signedValues ? std::fabs(values[k]) : values[k]);
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
    return high > low ? ColourRange{low, high} : rangeAround(low);
}

std::vector<float> vertexValues(const SceneValues& values, const PolygonsIndexedNormal& mesh,
                                ColourMode mode, const Workers& workers) {
    const RingGrid grid = gridOf(values, mesh);
    if (mode == ColourMode::plain || grid.rings == 0)
        return {};
    std::vector<float> out(mesh.vertexCount);
    switch (mode) {
    case ColourMode::gaussian:
    case ColourMode::mean:
        if (values.surface == SurfaceKind::formula)
            formulaCurvatureValues(values, grid.rings, grid.columns, mode == ColourMode::gaussian,
                                   out.data(), workers);
        else
            curvatureValues(values, grid, vertexAngles(values, grid), mode == ColourMode::gaussian,
                            out.data(), workers);
        // The formula's curvature is of the surface as tessellated; a pose's
        // scale s divides the mean curvature by s and the Gaussian by s^2
        // (its turn and move change neither).
        if (values.pose && values.pose->scale != 1) {
            const double s = values.pose->scale;
            const double factor = mode == ColourMode::gaussian ? 1 / (s * s) : 1 / s;
            for (float& value : out)
                value = finiteOrNan(value * factor);
        }
        break;
    case ColourMode::height:
        for (std::uint32_t i = 0; i < mesh.vertexCount; ++i)
            out[i] = finiteOrNan(mesh.vertices[i].z);
        break;
    case ColourMode::radius:
        radii(mesh.vertices, mesh.vertexCount, out.data());
        break;
    case ColourMode::parameter: {
        const VertexAngles angles = vertexAngles(values, grid);
        for (std::uint32_t ring = 0; ring < grid.rings; ++ring)
            std::fill_n(out.begin() + grid.vertex(ring, 0), grid.columns,
                        finiteOrNan(angles.thetas[ring]));
        if (grid.capped) {
            out[grid.endPole()] = finiteOrNan(angles.endPoleTheta);
            out[grid.startPole()] = finiteOrNan(angles.startPoleTheta);
        }
        break;
    }
    case ColourMode::plain:
        break;
    }
    return out;
}

VertexColours colourVertices(const SceneValues& values, const PolygonsIndexedNormal& mesh,
                             const ColourRequest& request, const Workers& workers) {
    VertexColours out;
    out.mode = colourModeName(request.mode);
    const RingGrid grid = gridOf(values, mesh);
    if (request.mode == ColourMode::plain || grid.rings == 0)
        return out;
    if (request.mode == ColourMode::parameter) {
        out.values.resize(mesh.vertexCount);
        out.colours.resize(mesh.vertexCount);
        const ColourRange range =
            request.range.value_or(ColourRange{values.thetaMin, values.thetaMax});
        out.low = range.low;
        out.high = range.high;
        parameterColours(values, grid, vertexAngles(values, grid), out);
        return out;
    }
    out.values = vertexValues(values, mesh, request.mode, workers);
    const bool signedValues = isSignedMode(request.mode);
    const ColourRange range = request.range.value_or(percentileRange(out.values, signedValues));
    out.low = range.low;
    out.high = range.high;
    out.colours.resize(out.values.size());
    mapColours(signedValues ? divergingMap : sequentialMap, out.low, out.high, out.values,
               out.colours.data());
    return out;
}

} // namespace Vextal
