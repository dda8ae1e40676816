#include "app/sdl/FramePacer.h"

#include <thread>

namespace Vextal {

void FramePacer::setInterval(std::chrono::nanoseconds length) {
    interval = length;
    next = {};
}

void FramePacer::frameShown() {
    if (interval.count() <= 0)
        return;
    const auto now = std::chrono::steady_clock::now();
    if (now < next) {
        std::this_thread::sleep_until(next);
        next += interval;
    } else {
        next = now + interval;
    }
}

} // namespace Vextal
