#include "mesh/SheetNormals.h"

#include "mesh/FaceNormal.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace Vextal {

namespace {

// The face normals of cell row `row`: two per cell, in triangle order.
void rowFaces(std::uint32_t row, std::uint32_t cells, const Vec3* vertices,
              const Triangle* triangles, std::vector<Vec3>& out) {
    const Triangle* first = triangles + std::size_t(row) * 2 * cells;
    for (std::uint32_t k = 0; k < 2 * cells; ++k)
        out[k] = faceNormal(first[k], vertices);
}

} // namespace

// Vertex (i, j) lies on both triangles of cell (i-1, j-1), the first of
// (i-1, j), the second of (i, j-1) and both of (i, j): added in that order,
// which is the triangles' own.
void sheetNormals(std::uint32_t rows, std::uint32_t columns, const Vec3* vertices,
                  const Triangle* triangles, Vec3* normals, const Workers& workers) {
    const std::uint32_t cells = columns - 1;
    const std::uint32_t minBlock = std::max<std::uint32_t>(1, (1u << 16) / columns);
    forEachBlock(workers, rows, minBlock, [&](std::uint32_t first, std::uint32_t end) {
        std::vector<Vec3> above(2 * cells), below(2 * cells);
        if (first > 0)
            rowFaces(first - 1, cells, vertices, triangles, above);
        for (std::uint32_t i = first; i < end; ++i) {
            const bool hasAbove = i > 0, hasBelow = i + 1 < rows;
            if (hasBelow)
                rowFaces(i, cells, vertices, triangles, below);
            Vec3* out = normals + std::size_t(i) * columns;
            for (std::uint32_t j = 0; j < columns; ++j) {
                Vec3 sum{};
                if (hasAbove && j > 0) {
                    sum += above[2 * (j - 1)];
                    sum += above[2 * (j - 1) + 1];
                }
                if (hasAbove && j < cells)
                    sum += above[2 * j];
                if (hasBelow && j > 0)
                    sum += below[2 * (j - 1) + 1];
                if (hasBelow && j < cells) {
                    sum += below[2 * j];
                    sum += below[2 * j + 1];
                }
                out[j] = normalizedOrKept(sum);
            }
            std::swap(above, below);
        }
    });
}

} // namespace Vextal
