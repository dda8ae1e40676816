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

// A row of cells' face normals, one array per coordinate and triangle, so
// that the loops over a row go on vector registers.
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

// faceNormal() of (p0, p1, p2) written out, without a branch: the same float
// operations in the same order.
inline void unitFace(Vec3 p0, Vec3 p1, Vec3 p2, float& nx, float& ny, float& nz) {
    const Vec3 n = cross(p1 - p0, p0 - p2);
    const float length = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
    const bool divide = length > threshold;
    nx = divide ? n.x / length : n.x;
    ny = divide ? n.y / length : n.y;
    nz = divide ? n.z / length : n.z;
}

// Cell row i: triangle 0 is {a, a + columns, a + columns + 1}, triangle 1
// {a, a + columns + 1, a + 1}.
VEXTAL_VECTOR_CLONES
void rowFaces(const Vec3* top, const Vec3* bottom, std::uint32_t cells, RowFaces& out) {
    float *x0 = out.x[0].data(), *y0 = out.y[0].data(), *z0 = out.z[0].data();
    float *x1 = out.x[1].data(), *y1 = out.y[1].data(), *z1 = out.z[1].data();
    for (std::uint32_t k = 0; k < cells; ++k) {
        unitFace(top[k], bottom[k], bottom[k + 1], x0[k], y0[k], z0[k]);
        unitFace(top[k], bottom[k + 1], top[k + 1], x1[k], y1[k], z1[k]);
    }
}

// The normalised sum, as normalizedOrKept() gives it.
inline Vec3 unitSum(float x, float y, float z) {
    const float length = std::sqrt(x * x + y * y + z * z);
    const bool divide = length > threshold;
    return {divide ? x / length : x, divide ? y / length : y, divide ? z / length : z};
}

// Vertex j of a row between two full cell rows, 0 < j < cells: the six
// faces in triangle order, added to (0, 0, 0) first as the per-triangle
// computation does (so -0 becomes +0 alike).
VEXTAL_VECTOR_CLONES
void innerVertices(const RowFaces& above, const RowFaces& below, std::uint32_t cells, Vec3* out) {
    for (std::uint32_t j = 1; j < cells; ++j) {
        const auto sum = [&](const std::vector<float>* a, const std::vector<float>* b) {
            return 0.0f + a[0][j - 1] + a[1][j - 1] + a[0][j] + b[1][j - 1] + b[0][j] + b[1][j];
        };
        out[j] = unitSum(sum(above.x, below.x), sum(above.y, below.y), sum(above.z, below.z));
    }
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
        const auto rowOf = [&](std::uint32_t i) { return vertices + std::size_t(i) * columns; };
        if (first > 0)
            rowFaces(rowOf(first - 1), rowOf(first), cells, above);
        for (std::uint32_t i = first; i < end; ++i) {
            const bool hasAbove = i > 0, hasBelow = i + 1 < rows;
            if (hasBelow)
                rowFaces(rowOf(i), rowOf(i + 1), cells, below);
            Vec3* out = normals + std::size_t(i) * columns;
            const RowFaces* a = hasAbove ? &above : nullptr;
            const RowFaces* b = hasBelow ? &below : nullptr;
            if (hasAbove && hasBelow) {
                innerVertices(above, below, cells, out);
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
