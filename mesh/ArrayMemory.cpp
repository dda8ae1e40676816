#include "mesh/ArrayMemory.h"

#include <cstdlib> // defines __GLIBC__ where the C library is glibc
#include <cstring>
#include <new>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace Vextal {

namespace {

// Well above the largest mesh array (255 x 255: 0.8 MB of vertices, 1.6 MB
// of triangles, 0.8 MB of normals), so none gets a mapping of its own.
constexpr int mapThresholdBytes = 8 * 1024 * 1024;
// The heap's top is given back only when this much lies free there: several
// times what one mesh holds.
constexpr int trimThresholdBytes = 32 * 1024 * 1024;

bool applyPolicy() {
#if defined(__GLIBC__)
    // Setting either value also turns off glibc's sliding threshold, which
    // would otherwise trim the heap after every large free.
    mallopt(M_MMAP_THRESHOLD, mapThresholdBytes);
    mallopt(M_TRIM_THRESHOLD, trimThresholdBytes);
#endif
    return true;
}

} // namespace

void keepArrayMemory() {
    static const bool applied = applyPolicy();
    (void)applied;
}

// Vec3 is an aggregate, so operator new[] creates the objects implicitly and
// the memset gives each its zero coordinates.
Vec3* newZeroVec3Array(std::uint32_t count) {
    const std::size_t bytes = std::size_t(count) * sizeof(Vec3);
    void* block = ::operator new[](bytes);
    std::memset(block, 0, bytes);
    return static_cast<Vec3*>(block);
}

void freeVec3Array(Vec3* array) {
    ::operator delete[](array);
}

} // namespace Vextal
