#include "mesh/Workers.h"

#include <tbb/blocked_range.h>
#include <tbb/info.h>
#include <tbb/parallel_for.h>
#include <tbb/task_arena.h>

#include <algorithm>

namespace Vextal {

unsigned allCores() {
    return unsigned(std::max(1, tbb::info::default_concurrency()));
}

void forEachBlock(const Workers& workers, std::uint32_t count, std::uint32_t minBlock,
                  const std::function<void(std::uint32_t, std::uint32_t)>& work) {
    if (count == 0)
        return;
    const std::uint32_t grain = std::max<std::uint32_t>(minBlock, 1);
    if (workers.threads <= 1 || count < 2 * grain) {
        work(0, count);
        return;
    }
    // An arena of exactly the threads asked for; TBB hands the blocks to them.
    tbb::task_arena arena(int(workers.threads));
    arena.execute([&] {
        tbb::parallel_for(tbb::blocked_range<std::uint32_t>(0, count, grain),
                          [&](const tbb::blocked_range<std::uint32_t>& range) {
                              work(range.begin(), range.end());
                          });
    });
}

} // namespace Vextal
