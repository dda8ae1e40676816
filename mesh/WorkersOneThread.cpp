#include "mesh/Workers.h"

// The browser build has no thread pool: every piece of work runs on the
// calling thread, in one block, which gives the same bytes as any split.

namespace Vextal {

unsigned allCores() {
    return 1;
}

void withWorkers(const Workers&, const std::function<void()>& work) {
    work();
}

void forEachBlock(const Workers&, std::uint32_t count, std::uint32_t,
                  const std::function<void(std::uint32_t, std::uint32_t)>& work) {
    if (count > 0)
        work(0, count);
}

} // namespace Vextal
