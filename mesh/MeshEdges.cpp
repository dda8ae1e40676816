#include "mesh/MeshEdges.h"

#include "mesh/PolygonsIndexedNormal.h"

#include <algorithm>

namespace Vextal {

void meshEdges(const PolygonsIndexedNormal& mesh, std::vector<std::uint32_t>& edges) {
    const RingGrid& grid = mesh.ringGrid();
    if (grid.rings >= 1 && grid.columns >= RingGrid::minColumns)
        ringGridEdges(grid, edges);
    else
        triangleEdges(mesh.triangles, mesh.triangleCount, mesh.vertexCount, edges);
}

// The triangles are read from the last one back, so that each edge is met
// first where it is drawn last; the list is turned round at the end. Every
// edge found so far is listed at its smaller vertex, in a chain of edge
// numbers through `next`: a vertex has a handful of edges, so finding one
// takes a few steps, and no sorting is needed.
void triangleEdges(const Triangle* triangles, std::uint32_t triangleCount,
                   std::uint32_t vertexCount, std::vector<std::uint32_t>& edges) {
    constexpr std::uint32_t none = ~std::uint32_t(0);
    std::vector<std::uint32_t> first(vertexCount, none);
    std::vector<std::uint32_t> next;
    edges.clear();
    auto add = [&](std::uint32_t a, std::uint32_t b) {
        if (a >= vertexCount || b >= vertexCount)
            return;
        const std::uint32_t low = std::min(a, b), high = std::max(a, b);
        for (std::uint32_t e = first[low]; e != none; e = next[e])
            if (std::max(edges[2 * e], edges[2 * e + 1]) == high)
                return;
        next.push_back(first[low]);
        first[low] = std::uint32_t(next.size() - 1);
        // Stored turned round: the whole list is reversed below.
        edges.push_back(b);
        edges.push_back(a);
    };
    for (std::uint32_t t = triangleCount; t-- > 0;) {
        const Triangle& triangle = triangles[t];
        add(triangle.i2, triangle.i0);
        add(triangle.i1, triangle.i2);
        add(triangle.i0, triangle.i1);
    }
    std::reverse(edges.begin(), edges.end());
}

} // namespace Vextal
