#include "export/MeshScale.h"

#include "mesh/PolygonsIndexedNormal.h"

#include <limits>

namespace Vextal {

namespace {

// A product beyond the float range becomes an infinity of its sign, without
// the out-of-range conversion.
float scaled(float value, double factor) {
    const double product = value * factor;
    constexpr double largest = std::numeric_limits<float>::max();
    constexpr float infinity = std::numeric_limits<float>::infinity();
    if (product > largest)
        return infinity;
    if (product < -largest)
        return -infinity;
    return float(product);
}

} // namespace

void scaleMesh(PolygonsIndexedNormal& mesh, double factor) {
    for (std::uint32_t k = 0; k < mesh.vertexCount; ++k) {
        Vec3& v = mesh.vertices[k];
        v = {scaled(v.x, factor), scaled(v.y, factor), scaled(v.z, factor)};
    }
}

} // namespace Vextal
