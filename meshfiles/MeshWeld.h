#pragma once

#include "mesh/Vec3.h"
#include "mesh/Workers.h"

#include <cstdint>
#include <span>
#include <vector>

namespace Vextal {

// Vertices closer together than this fraction of the mesh's bounding box
// diagonal are one vertex after welding. It is a few hundred float roundings
// of a unit-sized surface (32-bit coordinates near 1 step by 1.2e-7), so the
// copies of one point made by different formulas meet; and it is far below
// the spacing of the file's finest grid (255 columns around a unit circle are
// 0.025 apart), so no two samples of the surface merge by mistake. The
// tools' grids of thousands of steps bring the rings next to a pole closer
// than that: there neighbouring samples merge, and the fan around the pole
// loses triangles a thousandth of a millimetre wide on a print 10 cm across.
constexpr double weldRelativeTolerance = 1e-5;

// A mesh as plain growable arrays, for the operations that change its counts.
struct TriangleList {
    std::vector<Vec3> vertices;
    std::vector<Triangle> triangles;
};

// Merges every vertex with the first one before it within the tolerance (the
// nearest, when several are), then drops the triangles that name a vertex
// twice and, of the triangles over the same three vertices, every pair (an odd
// one out is kept), and last the vertices no triangle uses. Kept vertices
// keep their order and their exact coordinates; NaN and infinite vertices
// merge with nothing and do not widen the bounding box. The workers share
// what can be shared; the result is the same for any number of threads.
// `origins`, when given, receives for each kept vertex its index before.
void weld(TriangleList& mesh, const Workers& workers = {},
          std::vector<std::uint32_t>* origins = nullptr);

// The same in place, in arrays of fixed size: the kept vertices and triangles
// come first, and their counts are returned.
struct WeldedCounts {
    std::uint32_t vertices, triangles;
};
WeldedCounts weld(std::span<Vec3> vertices, std::span<Triangle> triangles,
                  const Workers& workers = {}, std::vector<std::uint32_t>* origins = nullptr);

} // namespace Vextal
