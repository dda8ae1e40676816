#include "mesh/Workers.h"

#include <algorithm>

// The browser build has no thread pool: every piece of work runs on the
// calling thread, which gives the same bytes as any split.

namespace Vextal {

namespace {

// As mesh/Workers.cpp: stoppable work goes in this many blocks.
constexpr std::uint32_t stoppableBlocks = 64;

} // namespace

void stopIfAsked(const Workers& workers) {
    if (workers.stop && workers.stop->load(std::memory_order_relaxed))
        throw WorkStopped{};
}

unsigned allCores() {
    return 1;
}

void withWorkers(const Workers&, const std::function<void()>& work) {
    work();
}

void forEachBlock(const Workers& workers, std::uint32_t count, std::uint32_t minBlock,
                  const std::function<void(std::uint32_t, std::uint32_t)>& work) {
    if (count == 0)
        return;
    if (!workers.stop) {
        work(0, count);
        return;
    }
    const std::uint32_t block =
        std::max({std::max<std::uint32_t>(minBlock, 1), count / stoppableBlocks});
    for (std::uint32_t begin = 0; begin < count; begin += std::min(block, count - begin)) {
        stopIfAsked(workers);
        work(begin, begin + std::min(block, count - begin));
    }
}

} // namespace Vextal
