#pragma once

#include <chrono>

namespace Vextal {

// Spaces shown frames one display refresh apart when the display does not
// (vertical sync refused): a buffer swap that returns at once would otherwise
// have the viewer draw as fast as the processor allows, a core or more spent
// on frames nobody sees. Motion follows the elapsed time, not the frame count,
// so pacing changes how often the picture is drawn, never where the camera goes.
class FramePacer {
public:
    // Zero: frames are not paced (the swap itself waits for the display).
    void setInterval(std::chrono::nanoseconds interval);

    // After a swap: sleeps until one interval after the previous frame's
    // turn. A frame that came late starts the count afresh instead of
    // letting the next ones follow without a pause to catch up.
    void frameShown();

private:
    std::chrono::nanoseconds interval{0};
    std::chrono::steady_clock::time_point next{};
};

} // namespace Vextal
