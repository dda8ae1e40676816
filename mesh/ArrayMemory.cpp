#include "mesh/ArrayMemory.h"

#include <cstdint>
#include <cstdlib> // defines __GLIBC__ where the C library is glibc
#include <new>

#if defined(__GLIBC__)
#include <malloc.h>
#endif
#include <sys/mman.h>
#include <unistd.h>

namespace Vextal {

namespace {

// Well above the largest mesh array (255 x 255: 0.8 MB of vertices, 1.6 MB
// of triangles, 0.8 MB of normals), so none gets a mapping of its own.
constexpr int mapThresholdBytes = 8 * 1024 * 1024;
// The heap's top is given back only when this much lies free there: several
// times what one mesh holds (glibc's heap alone is told).
[[maybe_unused]] constexpr int trimThresholdBytes = 32 * 1024 * 1024;

bool applyPolicy() {
#if defined(__GLIBC__)
    // Setting either value also turns off glibc's sliding threshold, which
    // would otherwise trim the heap after every large free.
    mallopt(M_MMAP_THRESHOLD, mapThresholdBytes);
    mallopt(M_TRIM_THRESHOLD, trimThresholdBytes);
#endif
    return true;
}

// A block of the tools' large grids is mapped on its own (above the map
// threshold): its pages come zeroed from the kernel, and faulting them in by
// 2 MiB instead of 4 KiB saves most of the time a first write takes.
void adviseHugePages(void* block, std::size_t bytes) {
    if (bytes < std::size_t(mapThresholdBytes))
        return;
    const std::uintptr_t page = std::uintptr_t(::sysconf(_SC_PAGESIZE));
    const std::uintptr_t start = (std::uintptr_t(block) + page - 1) / page * page;
    const std::uintptr_t end = (std::uintptr_t(block) + bytes) / page * page;
    if (end > start)
        ::madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
}

void* allocateBlock(std::size_t bytes, bool zeroed) {
    void* block = zeroed ? std::calloc(bytes, 1) : std::malloc(bytes);
    if (!block && bytes > 0)
        throw std::bad_alloc();
    adviseHugePages(block, bytes);
    return block;
}

} // namespace

void keepArrayMemory() {
    static const bool applied = applyPolicy();
    (void)applied;
}

// Vec3 and Triangle are implicit-lifetime aggregates: the allocation creates
// the objects, and calloc's zero bytes are zero coordinates (calloc skips the
// clearing for a freshly mapped block, which the kernel has zeroed).
Vec3* newZeroVec3Array(std::uint32_t count) {
    return static_cast<Vec3*>(allocateBlock(std::size_t(count) * sizeof(Vec3), true));
}

void freeVec3Array(Vec3* array) {
    std::free(array);
}

Triangle* newTriangleArray(std::uint32_t count) {
    return static_cast<Triangle*>(allocateBlock(std::size_t(count) * sizeof(Triangle), false));
}

void freeTriangleArray(Triangle* array) {
    std::free(array);
}

void* newLargeBlock(std::size_t bytes) {
    return allocateBlock(bytes, false);
}

} // namespace Vextal
