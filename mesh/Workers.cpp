#include "mesh/Workers.h"

#include <tbb/blocked_range.h>
#include <tbb/global_control.h>
#include <tbb/info.h>
#include <tbb/parallel_for.h>
#include <tbb/task_arena.h>

#include <algorithm>
#include <optional>

namespace Vextal {

void stopIfAsked(const Workers& workers) {
    if (workers.stop && workers.stop->load(std::memory_order_relaxed))
        throw WorkStopped{};
}

unsigned allCores() {
    return unsigned(std::max(1, tbb::info::default_concurrency()));
}

void withWorkers(const Workers& workers, const std::function<void()>& work) {
    // Every core: TBB's own arena, whose threads are already waiting.
    if (workers.threads == allCores()) {
        work();
        return;
    }
    // An arena of exactly the threads asked for. By default TBB allows no
    // more threads than cores: asked for more, it would say so on stderr and
    // use fewer.
    std::optional<tbb::global_control> allowMore;
    if (workers.threads > allCores())
        allowMore.emplace(tbb::global_control::max_allowed_parallelism, workers.threads);
    tbb::task_arena arena(int(std::max(1u, workers.threads)));
    arena.execute(work);
}

namespace {

// Alone, stoppable work goes in this many blocks: a stop is seen within a
// sixty-fourth of the work, and the looks cost nothing.
constexpr std::uint32_t stoppableBlocks = 64;

void inBlocksOnThisThread(const Workers& workers, std::uint32_t count, std::uint32_t grain,
                          const std::function<void(std::uint32_t, std::uint32_t)>& work) {
    if (!workers.stop) {
        work(0, count);
        return;
    }
    const std::uint32_t block = std::max(grain, count / stoppableBlocks);
    for (std::uint32_t begin = 0; begin < count; begin += std::min(block, count - begin)) {
        stopIfAsked(workers);
        work(begin, begin + std::min(block, count - begin));
    }
}

} // namespace

void forEachBlock(const Workers& workers, std::uint32_t count, std::uint32_t minBlock,
                  const std::function<void(std::uint32_t, std::uint32_t)>& work) {
    if (count == 0)
        return;
    const std::uint32_t grain = std::max<std::uint32_t>(minBlock, 1);
    if (workers.threads <= 1 || count < 2 * grain) {
        inBlocksOnThisThread(workers, count, grain, work);
        return;
    }
    // A block that throws cancels the others; TBB rethrows on this thread.
    withWorkers(workers, [&] {
        tbb::parallel_for(tbb::blocked_range<std::uint32_t>(0, count, grain),
                          [&](const tbb::blocked_range<std::uint32_t>& range) {
                              stopIfAsked(workers);
                              work(range.begin(), range.end());
                          });
    });
    stopIfAsked(workers);
}

} // namespace Vextal
