#include "meshfiles/MeshScale.h"

#include "mesh/PolygonsIndexedNormal.h"

#include <cmath>
#include <cstdio>
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

// The first coordinate of the mesh that the factor pushes out of the normal
// float range, or none.
struct Outlier {
    bool found = false;
    bool overflow = false;
    float value = 0;
};

Outlier firstOutlier(const PolygonsIndexedNormal& mesh, double factor) {
    constexpr double largest = std::numeric_limits<float>::max();
    constexpr double smallest = std::numeric_limits<float>::min(); // the least normal
    for (std::uint32_t k = 0; k < mesh.vertexCount; ++k) {
        const Vec3& v = mesh.vertices[k];
        for (const float value : {v.x, v.y, v.z}) {
            // What the surface itself holds (NaN, infinities, zeros, tiny
            // values) is the writers' to judge; only what the factor makes.
            const double magnitude = std::fabs(double(value));
            const double product = magnitude * factor;
            if (!std::isfinite(value) || magnitude < smallest)
                continue;
            if (product > largest || product < smallest)
                return {true, product > largest, value};
        }
    }
    return {};
}

} // namespace

std::string scaleRefusal(const PolygonsIndexedNormal& mesh, double factor) {
    const Outlier outlier = firstOutlier(mesh, factor);
    if (!outlier.found)
        return {};
    char text[160];
    std::snprintf(text, sizeof text, "scaled by %.9g, the coordinate %.9g %s", factor,
                  double(outlier.value),
                  outlier.overflow ? "overflows the float range"
                                   : "falls below the smallest normal float (1.17549435e-38)");
    return text;
}

void scaleMesh(PolygonsIndexedNormal& mesh, double factor) {
    for (std::uint32_t k = 0; k < mesh.vertexCount; ++k) {
        Vec3& v = mesh.vertices[k];
        v = {scaled(v.x, factor), scaled(v.y, factor), scaled(v.z, factor)};
    }
}

} // namespace Vextal
