#pragma once

#include <cstdint>

namespace Vextal {

// One window message condensed for a mouse catcher. All zero for messages
// that are not a pointer move, a left or right press or a wheel turn.
struct MouseEvent {
    std::uint8_t left = 0; // buttons and modifiers held (1 or 0)
    std::uint8_t right = 0;
    std::uint8_t middle = 0;
    std::uint8_t control = 0;
    std::uint8_t shift = 0;
    std::int32_t wheel = 0; // about +-65536 per notch, positive away from the user
    float dx = 0;           // pointer minus anchor, pixels, y downward
    float dy = 0;
};

// Receives every condensed mouse event.
class EventCatcher {
public:
    virtual ~EventCatcher() = default;
    virtual void handleEvent(const MouseEvent& event) = 0;
};

} // namespace Vextal
