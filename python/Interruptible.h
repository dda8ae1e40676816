#pragma once

#include "mesh/Workers.h"

#include <functional>

namespace VextalPython {

// Runs `work` on a thread of its own while the calling thread, without the
// GIL, looks for a Ctrl-C every few milliseconds. On one, it sets
// workers.stop (which `work` must hand to everything it calls), waits for the
// work to unwind and raises the signal handler's KeyboardInterrupt: an output
// being written is then left as it was. Whatever else `work` throws is thrown
// here. `work` must not touch Python. workers.stop is cleared on return.
void runInterruptibly(Vextal::Workers& workers, const std::function<void()>& work);

} // namespace VextalPython
