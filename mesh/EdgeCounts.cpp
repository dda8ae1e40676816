#include "mesh/EdgeCounts.h"

#include "mesh/ArrayMemory.h"

#include <algorithm>
#include <vector>

// The browser build has no thread pool: its sort runs on the one thread.
#if !defined(__EMSCRIPTEN__)
#include <tbb/parallel_sort.h>
#endif

namespace Vextal {

namespace {

// The edge from a to b: its two vertices, lower first, and in its lowest bit
// whether it runs from the higher one down. Sorting brings every use of one
// edge together.
std::uint64_t directedEdge(std::uint32_t a, std::uint32_t b) {
    const std::uint64_t low = std::min(a, b), high = std::max(a, b);
    return (low << 32 | high) << 1 | (a > b ? 1 : 0);
}

// Counts the uses of each edge among the sorted uses of one run of edges:
// whole directed edges, or, within one lower vertex's file, the higher
// vertex and the direction.
template <class Edge> void countSorted(const Edge* edges, std::size_t size, EdgeCounts& counts) {
    for (std::size_t first = 0; first < size;) {
        std::size_t end = first + 1;
        while (end < size && edges[end] >> 1 == edges[first] >> 1)
            ++end;
        const std::size_t uses = end - first;
        const bool bothWays = uses == 2 && edges[first] != edges[first + 1];
        counts.open += uses == 1 ? 1 : 0;
        counts.tangled += uses > 1 && !bothWays ? 1 : 0;
        first = end;
    }
}

template <class Visit>
void forEachEdge(const Triangle* triangles, std::uint32_t count, Visit&& visit) {
    for (std::uint32_t t = 0; t < count; ++t) {
        const Triangle& f = triangles[t];
        const std::uint32_t corners[4] = {f.i0, f.i1, f.i2, f.i0};
        for (int k = 0; k < 3; ++k)
            if (corners[k] != corners[k + 1])
                visit(corners[k], corners[k + 1]);
    }
}

// Every edge in one array, sorted: any mesh.
EdgeCounts countBySorting(const Triangle* triangles, std::uint32_t triangleCount,
                          const Workers& workers) {
    LargeArray<std::uint64_t> edges;
    edges.reserve(3 * std::size_t(triangleCount));
    forEachEdge(triangles, triangleCount,
                [&](std::uint32_t a, std::uint32_t b) { edges.push_back(directedEdge(a, b)); });
#if defined(__EMSCRIPTEN__)
    withWorkers(workers, [&] { std::sort(edges.begin(), edges.end()); });
#else
    withWorkers(workers, [&] { tbb::parallel_sort(edges.begin(), edges.end()); });
#endif
    EdgeCounts counts;
    countSorted(edges.data(), edges.size(), counts);
    return counts;
}

// The edges of one range of lower vertices [low, low + size), filed under
// their lower vertex by a counting sort, each file a handful of edges sorted
// where it lies: linear time, for meshes of fewer than 2^31 vertices (the
// higher vertex and the direction share 32 bits).
EdgeCounts countRange(const Triangle* triangles, std::uint32_t triangleCount, std::uint32_t low,
                      std::uint32_t size) {
    LargeArray<std::uint32_t> start(std::size_t(size) + 1, 0);
    forEachEdge(triangles, triangleCount, [&](std::uint32_t a, std::uint32_t b) {
        const std::uint32_t lower = std::min(a, b);
        if (lower >= low && lower - low < size)
            ++start[lower - low + 1];
    });
    for (std::size_t v = 0; v < size; ++v)
        start[v + 1] += start[v];
    LargeArray<std::uint32_t> filed(start.back());
    forEachEdge(triangles, triangleCount, [&](std::uint32_t a, std::uint32_t b) {
        const std::uint32_t lower = std::min(a, b);
        if (lower >= low && lower - low < size)
            filed[start[lower - low]++] = std::max(a, b) << 1 | (a > b ? 1u : 0u);
    });
    // Each file's start has moved to the next one's.
    EdgeCounts counts;
    for (std::size_t v = 0; v < size; ++v) {
        std::uint32_t* const first = filed.data() + (v == 0 ? 0 : start[v - 1]);
        std::uint32_t* const end = filed.data() + start[v];
        std::sort(first, end);
        countSorted(first, std::size_t(end - first), counts);
    }
    return counts;
}

// A large mesh's vertices are taken in two ranges, one after the other, so
// that only half of its edges are filed at once.
EdgeCounts countByLowerVertex(const Triangle* triangles, std::uint32_t triangleCount,
                              std::uint32_t vertexCount) {
    const std::uint32_t ranges = triangleCount >= (1u << 20) ? 2 : 1;
    const std::uint32_t rangeSize = (vertexCount + ranges - 1) / ranges;
    EdgeCounts counts;
    for (std::uint32_t low = 0; low < vertexCount; low += rangeSize) {
        const EdgeCounts range =
            countRange(triangles, triangleCount, low, std::min(rangeSize, vertexCount - low));
        counts.open += range.open;
        counts.tangled += range.tangled;
    }
    return counts;
}

} // namespace

EdgeCounts countEdges(const Triangle* triangles, std::uint32_t triangleCount,
                      const Workers& workers) {
    std::uint32_t highest = 0;
    for (std::uint32_t t = 0; t < triangleCount; ++t)
        highest = std::max({highest, triangles[t].i0, triangles[t].i1, triangles[t].i2});
    if (triangleCount > 0 && highest < (1u << 31) - 1)
        return countByLowerVertex(triangles, triangleCount, highest + 1);
    return countBySorting(triangles, triangleCount, workers);
}

} // namespace Vextal
