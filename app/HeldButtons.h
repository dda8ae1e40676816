#pragma once

#include <cstdint>
#include <functional>

namespace Vextal {

// What one pointer move from the window system becomes: WM_MOUSEMOVE, or the
// press message of a button whose press the window system dropped.
struct PointerMove {
    std::uint32_t message;
    std::uint32_t flags; // MK_* bits, the word parameter
};

// The mouse buttons (MK_LBUTTON, MK_RBUTTON, MK_MBUTTON) that went down in the
// window and have not come up since, as the platform layer saw them.
//
// A window system can lose a release: when the window is hidden (minimised,
// unmapped) while a button is held, the window's hold on the pointer ends and
// the release goes to whatever lies under the pointer. A layer that counts
// buttons from its own window's events then goes on reporting the button as
// held, so every later pointer move would pan, turn or approach; and it takes
// the button's next real press for a repeat and drops it, so the drag that
// follows would be measured from the old press point. The platform layer
// therefore notes presses and releases here, forgets every button when the
// window is hidden, and turns each pointer move into a message by
// pointerMoved.
class HeldButtons {
public:
    // button is one MK_* button bit; other bits are ignored.
    void press(std::uint32_t button);
    void release(std::uint32_t button);
    void forgetAll();

    // flags (MK_* bits) without the button bits of buttons not held here; the
    // modifier bits (MK_CONTROL, MK_SHIFT) pass unchanged.
    std::uint32_t heldOnly(std::uint32_t flags) const;

    // A pointer move that the window system reports with the MK_* flags
    // reported. When these name a button whose press was not seen here,
    // actualButtons is asked which buttons are really held now (the layer's
    // own count may be stale): if one of them is, its press was dropped, it
    // counts as held from now on, and the move becomes its press message (the
    // lowest such button first), so the drag is measured from here. Otherwise
    // the move is WM_MOUSEMOVE with heldOnly(reported).
    PointerMove pointerMoved(std::uint32_t reported,
                             const std::function<std::uint32_t()>& actualButtons);

private:
    std::uint32_t held = 0;
};

} // namespace Vextal
