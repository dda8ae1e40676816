#include "mesh/Workers.h"

#include <gtest/gtest.h>

#include <atomic>

using namespace Vextal;

// A stop set while the work runs ends it at the next block, with WorkStopped,
// on one thread (which then works in blocks) and on several.
TEST(Workers, aStopEndsTheWorkAtTheNextBlock) {
    for (const unsigned threads : {1u, 2u}) {
        std::atomic<bool> stop{false};
        const Workers workers{threads, &stop};
        std::atomic<std::uint32_t> done{0};
        constexpr std::uint32_t count = 1 << 20;
        EXPECT_THROW(forEachBlock(workers, count, 1024,
                                  [&](std::uint32_t begin, std::uint32_t end) {
                                      done += end - begin;
                                      stop = true;
                                  }),
                     WorkStopped)
            << threads << " threads";
        EXPECT_LT(done.load(), count) << threads << " threads";
    }
    std::atomic<std::uint32_t> done{0};
    forEachBlock(Workers{2}, 1 << 20, 1024,
                 [&](std::uint32_t begin, std::uint32_t end) { done += end - begin; });
    EXPECT_EQ(done.load(), 1u << 20);
}
