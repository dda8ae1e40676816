#include "export/OpenEdges.h"

#include <algorithm>
#include <vector>

namespace Vextal {

namespace {

std::uint64_t edgeKey(std::uint32_t a, std::uint32_t b) {
    return a < b ? std::uint64_t(a) << 32 | b : std::uint64_t(b) << 32 | a;
}

} // namespace

std::uint32_t countOpenEdges(const Triangle* triangles, std::uint32_t triangleCount) {
    std::vector<std::uint64_t> edges;
    edges.reserve(3 * std::size_t(triangleCount));
    for (std::uint32_t t = 0; t < triangleCount; ++t) {
        edges.push_back(edgeKey(triangles[t].i0, triangles[t].i1));
        edges.push_back(edgeKey(triangles[t].i1, triangles[t].i2));
        edges.push_back(edgeKey(triangles[t].i2, triangles[t].i0));
    }
    std::sort(edges.begin(), edges.end());
    std::uint32_t open = 0;
    for (std::size_t first = 0; first < edges.size();) {
        std::size_t end = first + 1;
        while (end < edges.size() && edges[end] == edges[first])
            ++end;
        open += end - first == 1 ? 1 : 0;
        first = end;
    }
    return open;
}

} // namespace Vextal
