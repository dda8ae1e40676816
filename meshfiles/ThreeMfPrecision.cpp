#include "meshfiles/ThreeMfPrecision.h"

#include "mesh/PolygonsIndexedNormal.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace Vextal {

namespace {

constexpr double writtenSteps = 1e6; // 6 decimals

template <typename Coordinate, typename Convert>
std::size_t distinctVertices(const PolygonsIndexedNormal& mesh, Convert convert) {
    std::vector<std::array<Coordinate, 3>> points(mesh.vertexCount);
    for (std::uint32_t k = 0; k < mesh.vertexCount; ++k)
        points[k] = {convert(mesh.vertices[k].x), convert(mesh.vertices[k].y),
                     convert(mesh.vertices[k].z)};
    std::sort(points.begin(), points.end());
    return std::size_t(std::unique(points.begin(), points.end()) - points.begin());
}

} // namespace

std::string threeMfPrecisionRefusal(const PolygonsIndexedNormal& mesh) {
    // -0 and 0 are one point, as they are once written.
    const std::size_t distinct =
        distinctVertices<float>(mesh, [](float c) { return c == 0 ? 0.0f : c; });
    const std::size_t written = distinctVertices<long long>(
        mesh, [](float c) { return std::llround(double(c) * writtenSteps); });
    if (written == distinct)
        return {};
    return "3MF keeps 6 decimals of the unit, which would make " +
           std::to_string(distinct - written) + " of the part's " + std::to_string(distinct) +
           " distinct vertices one with another; give a smaller --unit, or a larger --fit or "
           "--scale";
}

} // namespace Vextal
