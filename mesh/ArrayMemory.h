#pragma once

#include "mesh/Vec3.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <vector>

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

// Memory for a large array whose contents are undefined until written;
// faulted in by 2 MiB pages, as the mesh's arrays are, when it is large
// enough to be mapped on its own. Release with std::free. Throws
// std::bad_alloc.
void* newLargeBlock(std::size_t bytes);

// For the temporary arrays of a weld or an edge count over millions of
// vertices, where a page fault per 4 KiB costs as much as the work itself.
template <class T> struct LargeArrayAllocator {
    using value_type = T;

    LargeArrayAllocator() = default;
    template <class U> LargeArrayAllocator(const LargeArrayAllocator<U>&) noexcept {}

    T* allocate(std::size_t count) {
        if (count > SIZE_MAX / sizeof(T))
            throw std::bad_array_new_length();
        return static_cast<T*>(newLargeBlock(count * sizeof(T)));
    }
    void deallocate(T* array, std::size_t) noexcept { std::free(array); }

    template <class U> bool operator==(const LargeArrayAllocator<U>&) const noexcept {
        return true;
    }
};

template <class T> using LargeArray = std::vector<T, LargeArrayAllocator<T>>;

} // namespace Vextal
