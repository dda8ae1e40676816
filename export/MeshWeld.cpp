#include "export/MeshWeld.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <unordered_map>

namespace Vextal {

namespace {

constexpr std::uint32_t none = UINT32_MAX;

bool isFinite(Vec3 v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

double distanceSquared(Vec3 a, Vec3 b) {
    const double dx = double(a.x) - b.x, dy = double(a.y) - b.y, dz = double(a.z) - b.z;
    return dx * dx + dy * dy + dz * dz;
}

// Cubes of the tolerance's size over the bounding box: two vertices within the
// tolerance lie in the same cube or in neighbouring ones.
class CellGrid {
public:
    explicit CellGrid(const std::vector<Vec3>& vertices) {
        Vec3 lo{HUGE_VALF, HUGE_VALF, HUGE_VALF}, hi{-HUGE_VALF, -HUGE_VALF, -HUGE_VALF};
        for (const Vec3& v : vertices) {
            if (!isFinite(v))
                continue;
            lo = {std::min(lo.x, v.x), std::min(lo.y, v.y), std::min(lo.z, v.z)};
            hi = {std::max(hi.x, v.x), std::max(hi.y, v.y), std::max(hi.z, v.z)};
        }
        if (lo.x > hi.x)
            return; // no finite vertex: nothing is placed in the grid
        origin = lo;
        tolerance = weldRelativeTolerance * std::sqrt(distanceSquared(lo, hi));
        // All finite vertices at one point: they share one cell.
        cellSize = tolerance > 0 ? tolerance : 1.0;
    }

    double tolerance = 0;

    // The cell of a finite vertex, offset by one so that its neighbours have
    // no negative index. The box spans at most 1 / weldRelativeTolerance cells.
    std::array<std::int64_t, 3> cellOf(Vec3 v) const {
        return {index(v.x, origin.x), index(v.y, origin.y), index(v.z, origin.z)};
    }

    static std::uint64_t key(std::int64_t x, std::int64_t y, std::int64_t z) {
        return std::uint64_t(x) | std::uint64_t(y) << 21 | std::uint64_t(z) << 42;
    }

private:
    std::int64_t index(float value, float low) const {
        const double cell = std::floor((double(value) - low) / cellSize);
        return 1 + std::int64_t(std::clamp(cell, 0.0, double(1 << 20)));
    }

    Vec3 origin;
    double cellSize = 1;
};

// For each vertex, the vertex it merges with (itself when it stays alone).
std::vector<std::uint32_t> mergeTargets(const std::vector<Vec3>& vertices) {
    const CellGrid grid(vertices);
    const double limit = grid.tolerance * grid.tolerance;
    std::unordered_map<std::uint64_t, std::vector<std::uint32_t>> kept;
    std::vector<std::uint32_t> target(vertices.size());
    for (std::uint32_t v = 0; v < vertices.size(); ++v) {
        target[v] = v;
        if (!isFinite(vertices[v]))
            continue;
        const auto [cx, cy, cz] = grid.cellOf(vertices[v]);
        double nearest = limit;
        std::uint32_t found = none;
        for (std::int64_t dx = -1; dx <= 1; ++dx)
            for (std::int64_t dy = -1; dy <= 1; ++dy)
                for (std::int64_t dz = -1; dz <= 1; ++dz) {
                    const auto cell = kept.find(CellGrid::key(cx + dx, cy + dy, cz + dz));
                    if (cell == kept.end())
                        continue;
                    for (const std::uint32_t other : cell->second) {
                        const double d = distanceSquared(vertices[v], vertices[other]);
                        if (d < nearest || (d == nearest && other < found)) {
                            nearest = d;
                            found = other;
                        }
                    }
                }
        if (found != none)
            target[v] = found;
        else
            kept[CellGrid::key(cx, cy, cz)].push_back(v);
    }
    return target;
}

bool namesAVertexTwice(const Triangle& t) {
    return t.i0 == t.i1 || t.i1 == t.i2 || t.i2 == t.i0;
}

std::array<std::uint32_t, 3> cornerSet(const Triangle& t) {
    std::array<std::uint32_t, 3> corners{t.i0, t.i1, t.i2};
    std::sort(corners.begin(), corners.end());
    return corners;
}

// Of every group of triangles over the same three vertices, an odd one out
// survives, the first in array order; pairs vanish.
void dropPairs(std::vector<Triangle>& triangles) {
    std::vector<std::uint32_t> order(triangles.size());
    for (std::uint32_t k = 0; k < order.size(); ++k)
        order[k] = k;
    std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
        return cornerSet(triangles[a]) < cornerSet(triangles[b]);
    });
    std::vector<bool> keep(triangles.size(), false);
    for (std::size_t first = 0; first < order.size();) {
        std::size_t end = first + 1;
        while (end < order.size() &&
               cornerSet(triangles[order[end]]) == cornerSet(triangles[order[first]]))
            ++end;
        if ((end - first) % 2 == 1)
            keep[order[first]] = true;
        first = end;
    }
    std::size_t written = 0;
    for (std::size_t k = 0; k < triangles.size(); ++k)
        if (keep[k])
            triangles[written++] = triangles[k];
    triangles.resize(written);
}

void dropUnusedVertices(TriangleList& mesh) {
    std::vector<std::uint32_t> renumbered(mesh.vertices.size(), none);
    for (const Triangle& t : mesh.triangles)
        renumbered[t.i0] = renumbered[t.i1] = renumbered[t.i2] = 0;
    std::uint32_t next = 0;
    for (std::uint32_t v = 0; v < mesh.vertices.size(); ++v)
        if (renumbered[v] != none) {
            mesh.vertices[next] = mesh.vertices[v];
            renumbered[v] = next++;
        }
    mesh.vertices.resize(next);
    for (Triangle& t : mesh.triangles)
        t = {renumbered[t.i0], renumbered[t.i1], renumbered[t.i2]};
}

} // namespace

void weld(TriangleList& mesh) {
    const std::vector<std::uint32_t> target = mergeTargets(mesh.vertices);
    std::vector<Triangle> kept;
    kept.reserve(mesh.triangles.size());
    for (const Triangle& t : mesh.triangles) {
        const Triangle merged{target[t.i0], target[t.i1], target[t.i2]};
        if (!namesAVertexTwice(merged))
            kept.push_back(merged);
    }
    dropPairs(kept);
    mesh.triangles = std::move(kept);
    dropUnusedVertices(mesh);
}

} // namespace Vextal
