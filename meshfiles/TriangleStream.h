#pragma once

#include "mesh/PolygonsIndexed.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <vector>

namespace Vextal {

// The files hold the raw bytes of the mesh's arrays: little-endian floats
// and 32-bit indices, as this host keeps them.
static_assert(std::endian::native == std::endian::little,
              "the writers assume a little-endian host");
static_assert(sizeof(Vec3) == 12 && sizeof(Triangle) == 12);

// Hands the mesh's triangles to take(const Triangle*, count) in blocks, in
// order, each with its corners as the files write them: i0, i2, i1, counter-
// clockwise seen from outside (the mesh keeps them clockwise). One block of
// buffer at a time, never a second copy of the whole array.
template <class Take> void forEachWrittenTriangles(const PolygonsIndexed& mesh, Take&& take) {
    constexpr std::size_t block = 1 << 16;
    std::vector<Triangle> written(std::min<std::size_t>(block, mesh.triangleCount));
    for (std::size_t first = 0; first < mesh.triangleCount; first += block) {
        const std::size_t count = std::min<std::size_t>(block, mesh.triangleCount - first);
        for (std::size_t k = 0; k < count; ++k) {
            const Triangle& f = mesh.triangles[first + k];
            written[k] = {f.i0, f.i2, f.i1};
        }
        take(written.data(), count);
    }
}

} // namespace Vextal
