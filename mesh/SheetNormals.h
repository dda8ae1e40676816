#pragma once

#include "mesh/Vec3.h"
#include "mesh/Workers.h"

#include <cstdint>

namespace Vextal {

// Per-vertex normals of an open sheet of rows x columns vertices whose cell
// (i, j) is the two triangles {a, a + columns, a + columns + 1} and
// {a, a + columns + 1, a + 1}, a = i * columns + j, in row-major cell order
// (a typed surface's mesh): bit for bit what the per-triangle computation
// gives, since each vertex adds the same face normals in triangle order from
// (0, 0, 0), but gathered per vertex, the rows of a large sheet shared among
// the workers. Requires rows and columns of at least 2.
void sheetNormals(std::uint32_t rows, std::uint32_t columns, const Vec3* vertices,
                  const Triangle* triangles, Vec3* normals, const Workers& workers = {});

} // namespace Vextal
