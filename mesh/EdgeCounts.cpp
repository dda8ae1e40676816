#include "mesh/EdgeCounts.h"

#include <algorithm>
#include <vector>

#include <tbb/parallel_sort.h>

namespace Vextal {

namespace {

// The edge from a to b: its two vertices, lower first, and in its lowest bit
// whether it runs from the higher one down. Sorting brings every use of one
// edge together.
std::uint64_t directedEdge(std::uint32_t a, std::uint32_t b) {
    const std::uint64_t low = std::min(a, b), high = std::max(a, b);
    return (low << 32 | high) << 1 | (a > b ? 1 : 0);
}

} // namespace

EdgeCounts countEdges(const Triangle* triangles, std::uint32_t triangleCount,
                      const Workers& workers) {
    std::vector<std::uint64_t> edges;
    edges.reserve(3 * std::size_t(triangleCount));
    const auto add = [&edges](std::uint32_t a, std::uint32_t b) {
        if (a != b)
            edges.push_back(directedEdge(a, b));
    };
    for (std::uint32_t t = 0; t < triangleCount; ++t) {
        add(triangles[t].i0, triangles[t].i1);
        add(triangles[t].i1, triangles[t].i2);
        add(triangles[t].i2, triangles[t].i0);
    }
    withWorkers(workers, [&] { tbb::parallel_sort(edges.begin(), edges.end()); });
    EdgeCounts counts;
    for (std::size_t first = 0; first < edges.size();) {
        std::size_t end = first + 1;
        while (end < edges.size() && edges[end] >> 1 == edges[first] >> 1)
            ++end;
        const std::size_t uses = end - first;
        const bool bothWays = uses == 2 && edges[first] != edges[first + 1];
        counts.open += uses == 1 ? 1 : 0;
        counts.tangled += uses > 1 && !bothWays ? 1 : 0;
        first = end;
    }
    return counts;
}

} // namespace Vextal
