#include "mesh/SheetNormals.h"

#include "mesh/FaceNormal.h"
#include "mesh/VectorClones.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <utility>
#include <vector>

namespace Vextal {

namespace {

// For a float x, double(x) > 3e-17 holds exactly when x > this float (the
// threshold lies strictly between two floats; this is the lower one).
constexpr float floatThreshold() {
    const float nearest = static_cast<float>(normalLengthThreshold);
    if (static_cast<double>(nearest) > normalLengthThreshold)
        return __builtin_bit_cast(float, __builtin_bit_cast(std::uint32_t, nearest) - 1u);
    return nearest;
}
constexpr float threshold = floatThreshold();

// A row of vertices, or a row of cells' face normals (one array per
// coordinate and triangle), so that the loops over a row go on vector
// registers instead of striding through Vec3s.
struct RowPoints {
    std::vector<float> x, y, z;
    explicit RowPoints(std::uint32_t columns) : x(columns), y(columns), z(columns) {}
};
struct RowFaces {
    std::vector<float> x[2], y[2], z[2];
    explicit RowFaces(std::uint32_t cells) {
        for (int t = 0; t < 2; ++t) {
            x[t].resize(cells);
            y[t].resize(cells);
            z[t].resize(cells);
        }
    }
};

VEXTAL_VECTOR_CLONES
void loadRow(const Vec3* __restrict row, std::uint32_t columns, RowPoints& out) {
    float* __restrict x = out.x.data();
    float* __restrict y = out.y.data();
    float* __restrict z = out.z.data();
    for (std::uint32_t j = 0; j < columns; ++j) {
        x[j] = row[j].x;
        y[j] = row[j].y;
        z[j] = row[j].z;
    }
}

// faceNormal() of the triangles (p0[k], p1[k], p2[k]) written out, without a
// branch: the same float operations in the same order, (p1 - p0) x (p0 - p2).
inline __attribute__((always_inline)) void
unitFaces(const float* __restrict p0x, const float* __restrict p0y, const float* __restrict p0z,
          const float* __restrict p1x, const float* __restrict p1y, const float* __restrict p1z,
          const float* __restrict p2x, const float* __restrict p2y, const float* __restrict p2z,
          std::uint32_t count, float* __restrict nx, float* __restrict ny, float* __restrict nz) {
    for (std::uint32_t k = 0; k < count; ++k) {
        const float ax = p1x[k] - p0x[k], ay = p1y[k] - p0y[k], az = p1z[k] - p0z[k];
        const float bx = p0x[k] - p2x[k], by = p0y[k] - p2y[k], bz = p0z[k] - p2z[k];
        const float cx = ay * bz - az * by;
        const float cy = az * bx - ax * bz;
        const float cz = ax * by - ay * bx;
        const float length = std::sqrt(cx * cx + cy * cy + cz * cz);
        const bool divide = length > threshold;
        nx[k] = divide ? cx / length : cx;
        ny[k] = divide ? cy / length : cy;
        nz[k] = divide ? cz / length : cz;
    }
}

// Cell row between vertex rows `top` and `bottom`: triangle 0 is
// {a, a + columns, a + columns + 1}, triangle 1 {a, a + columns + 1, a + 1}.
VEXTAL_VECTOR_CLONES
void rowFaces(const RowPoints& top, const RowPoints& bottom, std::uint32_t cells, RowFaces& out) {
    const float *tx = top.x.data(), *ty = top.y.data(), *tz = top.z.data();
    const float *bx = bottom.x.data(), *by = bottom.y.data(), *bz = bottom.z.data();
    unitFaces(tx, ty, tz, bx, by, bz, bx + 1, by + 1, bz + 1, cells, out.x[0].data(),
              out.y[0].data(), out.z[0].data());
    unitFaces(tx, ty, tz, bx + 1, by + 1, bz + 1, tx + 1, ty + 1, tz + 1, cells, out.x[1].data(),
              out.y[1].data(), out.z[1].data());
}

// The six faces' sum of one coordinate for vertices 1 .. cells - 1, in
// triangle order, added to 0 first as the per-triangle computation does (so
// -0 becomes +0 alike).
inline __attribute__((always_inline)) void
sixFaces(const float* __restrict a0, const float* __restrict a1, const float* __restrict b0,
         const float* __restrict b1, std::uint32_t cells, float* __restrict sum) {
    for (std::uint32_t j = 1; j < cells; ++j)
        sum[j] = 0.0f + a0[j - 1] + a1[j - 1] + a0[j] + b1[j - 1] + b0[j] + b1[j];
}

// Vertex j of a row between two full cell rows, 0 < j < cells, normalised
// as normalizedOrKept() does; `sums` is room for the three sums.
VEXTAL_VECTOR_CLONES
void innerVertices(const RowFaces& above, const RowFaces& below, std::uint32_t cells,
                   RowPoints& sums, Vec3* __restrict out) {
    float* __restrict x = sums.x.data();
    float* __restrict y = sums.y.data();
    float* __restrict z = sums.z.data();
    sixFaces(above.x[0].data(), above.x[1].data(), below.x[0].data(), below.x[1].data(), cells, x);
    sixFaces(above.y[0].data(), above.y[1].data(), below.y[0].data(), below.y[1].data(), cells, y);
    sixFaces(above.z[0].data(), above.z[1].data(), below.z[0].data(), below.z[1].data(), cells, z);
    for (std::uint32_t j = 1; j < cells; ++j) {
        const float length = std::sqrt(x[j] * x[j] + y[j] * y[j] + z[j] * z[j]);
        const bool divide = length > threshold;
        x[j] = divide ? x[j] / length : x[j];
        y[j] = divide ? y[j] / length : y[j];
        z[j] = divide ? z[j] / length : z[j];
    }
    for (std::uint32_t j = 1; j < cells; ++j)
        out[j] = {x[j], y[j], z[j]};
}

// Any vertex, with the faces it has: the rows' ends and the sheet's first
// and last rows.
Vec3 edgeVertex(const RowFaces* above, const RowFaces* below, std::uint32_t j,
                std::uint32_t cells) {
    Vec3 sum{};
    const auto add = [&](const RowFaces& r, int t, std::uint32_t k) {
        sum += Vec3{r.x[t][k], r.y[t][k], r.z[t][k]};
    };
    if (above && j > 0) {
        add(*above, 0, j - 1);
        add(*above, 1, j - 1);
    }
    if (above && j < cells)
        add(*above, 0, j);
    if (below && j > 0)
        add(*below, 1, j - 1);
    if (below && j < cells) {
        add(*below, 0, j);
        add(*below, 1, j);
    }
    return normalizedOrKept(sum);
}

} // namespace

// Vertex (i, j) lies on both triangles of cell (i-1, j-1), the first of
// (i-1, j), the second of (i, j-1) and both of (i, j): added in that order,
// which is the triangles' own.
void sheetNormals(std::uint32_t rows, std::uint32_t columns, const Vec3* vertices, const Triangle*,
                  Vec3* normals, const Workers& workers) {
    const std::uint32_t cells = columns - 1;
    const std::uint32_t minBlock = std::max<std::uint32_t>(1, (1u << 16) / columns);
    forEachBlock(workers, rows, minBlock, [&](std::uint32_t first, std::uint32_t end) {
        RowFaces above(cells), below(cells);
        RowPoints top(columns), bottom(columns), sums(columns);
        const auto rowOf = [&](std::uint32_t i) { return vertices + std::size_t(i) * columns; };
        loadRow(rowOf(first), columns, top);
        if (first > 0) {
            loadRow(rowOf(first - 1), columns, bottom);
            rowFaces(bottom, top, cells, above);
        }
        for (std::uint32_t i = first; i < end; ++i) {
            const bool hasAbove = i > 0, hasBelow = i + 1 < rows;
            if (hasBelow) {
                loadRow(rowOf(i + 1), columns, bottom);
                rowFaces(top, bottom, cells, below);
                std::swap(top, bottom);
            }
            Vec3* out = normals + std::size_t(i) * columns;
            const RowFaces* a = hasAbove ? &above : nullptr;
            const RowFaces* b = hasBelow ? &below : nullptr;
            if (hasAbove && hasBelow) {
                innerVertices(above, below, cells, sums, out);
                out[0] = edgeVertex(a, b, 0, cells);
                out[cells] = edgeVertex(a, b, cells, cells);
            } else {
                for (std::uint32_t j = 0; j < columns; ++j)
                    out[j] = edgeVertex(a, b, j, cells);
            }
            std::swap(above, below);
        }
    });
}

} // namespace Vextal
