#pragma once

#include "mesh/Vec3.h"

#include <cstdint>

namespace Vextal {

// Keeps the allocator from handing freed mesh arrays back to the system.
// Every load frees and allocates the arrays anew; at the largest grid they
// are a few megabytes, which glibc would otherwise map and unmap (or trim off
// the heap) on every load, paying a page fault per 4 KiB page each time. After
// this call such blocks stay in the heap and are reused; their contents are
// still written afresh by every allocate(). Idempotent; the mesh calls it
// before its first allocation.
void keepArrayMemory();

// `count` zero vectors in one block, zeroed at once rather than by a
// constructor call per element; release with freeVec3Array. Throws
// std::bad_alloc as new[] does.
Vec3* newZeroVec3Array(std::uint32_t count);
void freeVec3Array(Vec3* array);

// `count` triangles whose contents are undefined until written; release
// with freeTriangleArray. Throws std::bad_alloc.
Triangle* newTriangleArray(std::uint32_t count);
void freeTriangleArray(Triangle* array);

} // namespace Vextal
