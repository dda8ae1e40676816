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

// What the platform layer can ask the window system about the buttons
// (MK_LBUTTON, MK_RBUTTON, MK_MBUTTON bits) beyond what its events say.
struct ButtonQueries {
    // The buttons held at this moment.
    std::function<std::uint32_t()> heldNow;
    // Of the given buttons, those whose release event is already on its way
    // to the window (queued, not yet handled).
    std::function<std::uint32_t(std::uint32_t)> releasesQueued;
};

// The mouse buttons that went down in the window and have not come up since,
// as the platform layer saw them.
//
// A window system layer can lose a release: when the window loses its hold
// on the pointer during a drag (the window is minimised or unmapped, or the
// layer lets the pointer go as the keyboard focus moves), the release goes to
// whatever lies under the pointer. The layer then goes on reporting the
// button as held, so every later pointer move would pan, turn or approach;
// and it takes the button's next real press for a repeat and drops it, so the
// drag that follows would be measured from the old press point. The platform
// layer therefore notes the presses and releases it sees here, and turns each
// pointer move into a message by pointerMoved.
class HeldButtons {
public:
    // button is one MK_* button bit; other bits are ignored.
    void press(std::uint32_t button);
    void release(std::uint32_t button);

    // flags (MK_* bits) without the button bits of buttons not held here; the
    // modifier bits (MK_CONTROL, MK_SHIFT) pass unchanged.
    std::uint32_t heldOnly(std::uint32_t flags) const;

    // A pointer move that the window system reports with the MK_* flags
    // reported. When these hold a button, the window system is asked what is
    // really held: a button held here that is really up, with no release on
    // its way, was let go unseen, and no longer counts; a button that is
    // really held but whose press was not seen here had its press dropped: it
    // counts as held from now on, and the move becomes its press message (the
    // lowest such button first), so the drag is measured from here. Otherwise
    // the move is WM_MOUSEMOVE with heldOnly(reported). Asks nothing when no
    // button is reported.
    PointerMove pointerMoved(std::uint32_t reported, const ButtonQueries& ask);

private:
    std::uint32_t held = 0;
};

} // namespace Vextal
