#include "meshfiles/MeshWeld.h"

#include "mesh/ArrayMemory.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <span>
#include <unordered_map>

// The browser build has no thread pool: its sort runs on the one thread.
#if !defined(__EMSCRIPTEN__)
#include <tbb/parallel_sort.h>
#endif

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
    explicit CellGrid(std::span<const Vec3> vertices) {
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

// A finite vertex in the cell grid; sorted by cell, then by vertex.
struct Placed {
    std::uint64_t cell;
    std::uint32_t vertex;
    bool operator<(const Placed& other) const {
        return cell != other.cell ? cell < other.cell : vertex < other.vertex;
    }
};

LargeArray<Placed> placedVertices(std::span<const Vec3> vertices, const CellGrid& grid,
                                  const Workers& workers) {
    // A vertex that is not finite is filed past every cell, then cut off.
    constexpr std::uint64_t nowhere = UINT64_MAX;
    LargeArray<Placed> placed(vertices.size());
    forEachBlock(workers, std::uint32_t(vertices.size()), 1 << 16,
                 [&](std::uint32_t first, std::uint32_t end) {
                     for (std::uint32_t v = first; v < end; ++v) {
                         placed[v] = {nowhere, v};
                         if (isFinite(vertices[v])) {
                             const auto [cx, cy, cz] = grid.cellOf(vertices[v]);
                             placed[v].cell = CellGrid::key(cx, cy, cz);
                         }
                     }
                 });
    // No two are equal (each vertex once): any sort gives the same order.
#if defined(__EMSCRIPTEN__)
    std::sort(placed.begin(), placed.end());
#else
    withWorkers(workers, [&] { tbb::parallel_sort(placed.begin(), placed.end()); });
#endif
    while (!placed.empty() && placed.back().cell == nowhere)
        placed.pop_back();
    return placed;
}

// For each vertex, whether another one lies in its cell or a neighbouring
// one: only such vertices can merge. Two vertices are neighbours both ways,
// so each pair is found from the vertex whose cell comes first, which marks
// both: five sweeps, one per row of cells after a vertex's own (dy, dz),
// and its own row from its cell on. A row is three consecutive keys (dx),
// which never carry into the next coordinate, since every index lies in
// 1 .. 2^20 + 1.
LargeArray<std::uint8_t> crowdedVertices(const LargeArray<Placed>& placed, std::size_t count,
                                         const Workers& workers) {
    LargeArray<std::uint8_t> crowded(count, 0);
    // Another thread may mark the same vertex at the same time.
    const auto mark = [&](std::uint32_t vertex) {
#if defined(__EMSCRIPTEN__)
        crowded[vertex] = 1; // one thread, and no atomic_ref in its C++ library
#else
        std::atomic_ref<std::uint8_t>(crowded[vertex]).store(1, std::memory_order_relaxed);
#endif
    };
    const auto rowBeside = [](int dy, int dz) {
        return std::uint64_t(std::int64_t(dy) << 21) + std::uint64_t(std::int64_t(dz) << 42);
    };
    const auto below = [](const Placed& p, std::uint64_t key) { return p.cell < key; };
    // The rows after a vertex's own, as (dy, dz); its own row comes last.
    constexpr int rows[5][2] = {{1, 0}, {-1, 1}, {0, 1}, {1, 1}, {0, 0}};
    for (const auto& [dy, dz] : rows) {
        const std::uint64_t shift = rowBeside(dy, dz);
        const bool ownRow = dy == 0 && dz == 0;
        // In its own row a vertex looks from its cell on, and finds itself.
        const std::uint64_t from = ownRow ? 0 : 1;
        const std::size_t self = ownRow ? 1 : 0;
        forEachBlock(workers, std::uint32_t(placed.size()), 1 << 14,
                     [&](std::uint32_t first, std::uint32_t end) {
                         auto lo = placed.begin(), hi = placed.begin(), marked = lo;
                         // The rows rise with k, so the bounds only move
                         // forward: a step or two each, not a search.
                         for (std::uint32_t k = first; k < end; ++k) {
                             const std::uint64_t row = placed[k].cell + shift;
                             if (k == first) {
                                 lo = std::lower_bound(lo, placed.end(), row - from, below);
                                 hi = std::lower_bound(lo, placed.end(), row + 2, below);
                             }
                             while (lo != placed.end() && below(*lo, row - from))
                                 ++lo;
                             if (hi < lo)
                                 hi = lo;
                             while (hi != placed.end() && below(*hi, row + 2))
                                 ++hi;
                             if (std::size_t(hi - lo) > self) {
                                 mark(placed[k].vertex);
                                 // Both bounds only rise: each neighbour is
                                 // marked once, even in a crowd of millions.
                                 for (marked = std::max(marked, lo); marked != hi; ++marked)
                                     mark(marked->vertex);
                             }
                         }
                     });
    }
    return crowded;
}

// For each vertex, the vertex it merges with (itself when it stays alone).
// Only crowded vertices can merge, and only with each other, so only they
// are looked at one by one, in vertex order.
LargeArray<std::uint32_t> mergeTargets(std::span<const Vec3> vertices, const Workers& workers) {
    const CellGrid grid(vertices);
    const double limit = grid.tolerance * grid.tolerance;
    LargeArray<std::uint32_t> target(vertices.size());
    for (std::uint32_t v = 0; v < vertices.size(); ++v)
        target[v] = v;
    const LargeArray<std::uint8_t> crowded =
        crowdedVertices(placedVertices(vertices, grid, workers), vertices.size(), workers);
    stopIfAsked(workers); // the sort and the search above end with no block to look between
    std::unordered_map<std::uint64_t, std::vector<std::uint32_t>> kept;
    for (std::uint32_t v = 0; v < vertices.size(); ++v) {
        if (!crowded[v])
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
    std::uint32_t a = t.i0, b = t.i1, c = t.i2;
    if (a > b)
        std::swap(a, b);
    if (b > c)
        std::swap(b, c);
    if (a > b)
        std::swap(a, b);
    return {a, b, c};
}

// Of every group of triangles over the same three vertices, an odd one out
// survives, the first in array order; pairs vanish. Such triangles share
// their smallest corner, so they are sought only among the few triangles of
// each vertex.
std::size_t dropPairs(std::span<Triangle> triangles, std::size_t vertexCount,
                      const Workers& workers) {
    LargeArray<std::uint32_t> start(vertexCount + 1, 0);
    for (const Triangle& t : triangles)
        ++start[cornerSet(t)[0] + 1];
    for (std::size_t v = 0; v < vertexCount; ++v)
        start[v + 1] += start[v];
    LargeArray<std::uint32_t> byCorner(triangles.size());
    LargeArray<std::uint32_t> next(start.begin(), start.end() - 1);
    for (std::uint32_t k = 0; k < triangles.size(); ++k)
        byCorner[next[cornerSet(triangles[k])[0]]++] = k;
    stopIfAsked(workers);
    LargeArray<std::uint8_t> keep(triangles.size(), 0);
    // Each file's triangles by their other two corners, then by position.
    struct Filed {
        std::uint64_t others;
        std::uint32_t triangle;
        bool operator<(const Filed& b) const {
            return others != b.others ? others < b.others : triangle < b.triangle;
        }
    };
    forEachBlock(
        workers, std::uint32_t(vertexCount), 1 << 16,
        [&](std::uint32_t firstVertex, std::uint32_t endVertex) {
            std::vector<Filed> file;
            for (std::size_t v = firstVertex; v < endVertex; ++v) {
                file.clear();
                for (std::uint32_t k = start[v]; k < start[v + 1]; ++k) {
                    const auto corners = cornerSet(triangles[byCorner[k]]);
                    file.push_back({std::uint64_t(corners[1]) << 32 | corners[2], byCorner[k]});
                }
                std::sort(file.begin(), file.end());
                for (std::size_t group = 0; group < file.size();) {
                    std::size_t after = group + 1;
                    while (after < file.size() && file[after].others == file[group].others)
                        ++after;
                    if ((after - group) % 2 == 1)
                        keep[file[group].triangle] = 1;
                    group = after;
                }
            }
        });
    std::size_t written = 0;
    for (std::size_t k = 0; k < triangles.size(); ++k)
        if (keep[k])
            triangles[written++] = triangles[k];
    return written;
}

// Returns the number of vertices kept, now first.
std::uint32_t dropUnusedVertices(std::span<Vec3> vertices, std::span<Triangle> triangles,
                                 std::vector<std::uint32_t>* origins) {
    LargeArray<std::uint32_t> renumbered(vertices.size(), none);
    for (const Triangle& t : triangles)
        renumbered[t.i0] = renumbered[t.i1] = renumbered[t.i2] = 0;
    std::uint32_t next = 0;
    for (std::uint32_t v = 0; v < vertices.size(); ++v)
        if (renumbered[v] != none) {
            if (origins)
                origins->push_back(v);
            vertices[next] = vertices[v];
            renumbered[v] = next++;
        }
    for (Triangle& t : triangles)
        t = {renumbered[t.i0], renumbered[t.i1], renumbered[t.i2]};
    return next;
}

// The triangles with their vertices merged, those that collapse dropped;
// returns how many are left, first.
std::size_t mergeVertices(std::span<const Vec3> vertices, std::span<Triangle> triangles,
                          const Workers& workers) {
    const LargeArray<std::uint32_t> target = mergeTargets(vertices, workers);
    std::size_t kept = 0;
    for (const Triangle& t : triangles) {
        const Triangle merged{target[t.i0], target[t.i1], target[t.i2]};
        if (!namesAVertexTwice(merged))
            triangles[kept++] = merged;
    }
    return kept;
}

} // namespace

WeldedCounts weld(std::span<Vec3> vertices, std::span<Triangle> triangles, const Workers& workers,
                  std::vector<std::uint32_t>* origins) {
    std::size_t kept = mergeVertices(vertices, triangles, workers);
    stopIfAsked(workers);
    kept = dropPairs(triangles.first(kept), vertices.size(), workers);
    stopIfAsked(workers);
    if (origins) {
        origins->clear();
        origins->reserve(vertices.size());
    }
    const std::uint32_t used = dropUnusedVertices(vertices, triangles.first(kept), origins);
    return {used, std::uint32_t(kept)};
}

void weld(TriangleList& mesh, const Workers& workers, std::vector<std::uint32_t>* origins) {
    const WeldedCounts counts = weld(mesh.vertices, mesh.triangles, workers, origins);
    mesh.vertices.resize(counts.vertices);
    mesh.triangles.resize(counts.triangles);
}

} // namespace Vextal
