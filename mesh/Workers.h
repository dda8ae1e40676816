#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

namespace Vextal {

// How many threads a piece of work may use: 1 runs everything on the calling
// thread, which is what the viewer does. Passed to whatever may split work.
struct Workers {
    unsigned threads = 1;
    // When given and set (by another thread), forEachBlock throws WorkStopped
    // before its next block, so that long work ends soon after it is asked to.
    const std::atomic<bool>* stop = nullptr;
};

// Thrown out of work whose stop was set: what it was making is incomplete and
// must be thrown away; everything it holds is released as the stack unwinds.
struct WorkStopped {};

// Throws WorkStopped when the workers' stop is set: for the steps of long
// work done outside forEachBlock.
void stopIfAsked(const Workers& workers);

// The number of threads the machine runs at once (at least 1).
unsigned allCores();

// Runs work() with the workers' threads for whatever TBB algorithm it starts
// (a parallel sort): with one, on the calling thread alone.
void withWorkers(const Workers& workers, const std::function<void()>& work);

// Calls work(begin, end) on contiguous blocks that together cover [0, count)
// once each. Several blocks run at once only when there are threads to spare
// and at least two blocks of minBlock items: below that, a split costs more
// than it saves, so work(0, count) runs on the calling thread. Whatever work
// writes must depend on the item alone, never on the block it came in, so
// that the result is the same for any number of threads. With a stop, even
// the calling thread alone works in blocks, looking at the stop between them.
void forEachBlock(const Workers& workers, std::uint32_t count, std::uint32_t minBlock,
                  const std::function<void(std::uint32_t, std::uint32_t)>& work);

} // namespace Vextal
