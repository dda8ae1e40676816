#pragma once

#include "mesh/Workers.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace Vextal {

// Writes `count` fixed-size records to `out`, in order: format(k, bytes)
// fills record k's `recordSize` bytes. Records are formatted a batch at a
// time, the batch shared among the workers, then written with one fwrite, so
// the bytes are the same for any number of threads and no more than one
// batch (a few megabytes a thread) is held besides the mesh.
template <class Format>
void writeRecords(std::FILE* out, std::uint32_t count, std::size_t recordSize,
                  const Workers& workers, Format&& format) {
    constexpr std::uint32_t perThread = 1 << 16;
    const std::uint32_t batch = perThread * std::max(1u, workers.threads);
    std::vector<unsigned char> buffer(std::size_t(std::min(batch, count)) * recordSize);
    for (std::uint32_t first = 0; first < count; first += std::min(batch, count - first)) {
        const std::uint32_t size = std::min(batch, count - first);
        forEachBlock(workers, size, perThread / 4, [&](std::uint32_t begin, std::uint32_t end) {
            for (std::uint32_t k = begin; k < end; ++k)
                format(first + k, buffer.data() + std::size_t(k) * recordSize);
        });
        std::fwrite(buffer.data(), recordSize, size, out);
    }
}

} // namespace Vextal
