#include "camera/InputFixture.h"

#include "camera/MouseCapture.h"
#include "input/HeldButtons.h"
#include "input/WindowMessages.h"

namespace Vextal {
namespace {

constexpr std::uint32_t allButtons = MK_LBUTTON | MK_RBUTTON | MK_MBUTTON;

TEST(HeldButtonsTest, onlyButtonsPressedHereCountAsHeld) {
    HeldButtons buttons;
    EXPECT_EQ(buttons.heldOnly(allButtons), 0u);
    buttons.press(MK_RBUTTON);
    EXPECT_EQ(buttons.heldOnly(allButtons), MK_RBUTTON);
    buttons.press(MK_LBUTTON);
    EXPECT_EQ(buttons.heldOnly(MK_LBUTTON), MK_LBUTTON);
    EXPECT_EQ(buttons.heldOnly(allButtons), MK_LBUTTON | MK_RBUTTON);
}

TEST(HeldButtonsTest, releaseEndsTheHoldOfThatButtonOnly) {
    HeldButtons buttons;
    buttons.press(MK_LBUTTON);
    buttons.press(MK_MBUTTON);
    buttons.release(MK_LBUTTON);
    EXPECT_EQ(buttons.heldOnly(allButtons), MK_MBUTTON);
    buttons.release(MK_RBUTTON); // never pressed: changes nothing
    EXPECT_EQ(buttons.heldOnly(allButtons), MK_MBUTTON);
}

TEST(HeldButtonsTest, modifiersPassWhateverIsHeld) {
    HeldButtons buttons;
    EXPECT_EQ(buttons.heldOnly(MK_CONTROL | MK_SHIFT | MK_RBUTTON), MK_CONTROL | MK_SHIFT);
    buttons.press(MK_CONTROL); // not a button: ignored
    EXPECT_EQ(buttons.heldOnly(allButtons), 0u);
}

// Stands in for the window system: which buttons are held now, whose
// releases are queued, and how often it is asked.
struct WindowSystem {
    std::uint32_t held = 0;
    std::uint32_t queuedReleases = 0;
    int asked = 0;
    ButtonQueries queries() {
        return {[this] {
                    ++asked;
                    return held;
                },
                [this](std::uint32_t buttons) { return buttons & queuedReleases; }};
    }
};

TEST(HeldButtonsTest, moveWithoutButtonsAsksNothing) {
    HeldButtons buttons;
    WindowSystem system;
    const PointerMove move = buttons.pointerMoved(MK_CONTROL, system.queries());
    EXPECT_EQ(move.message, WM_MOUSEMOVE);
    EXPECT_EQ(move.flags, MK_CONTROL);
    EXPECT_EQ(system.asked, 0);
}

TEST(HeldButtonsTest, dragWithTheButtonReallyHeldCarriesIt) {
    HeldButtons buttons;
    WindowSystem system;
    system.held = MK_RBUTTON;
    buttons.press(MK_RBUTTON);
    const PointerMove move = buttons.pointerMoved(MK_RBUTTON | MK_SHIFT, system.queries());
    EXPECT_EQ(move.message, WM_MOUSEMOVE);
    EXPECT_EQ(move.flags, MK_RBUTTON | MK_SHIFT);
}

TEST(HeldButtonsTest, moveBeforeAQueuedReleaseStillCarriesTheButton) {
    HeldButtons buttons;
    WindowSystem system;
    buttons.press(MK_LBUTTON);
    system.queuedReleases = MK_LBUTTON; // let go; the release is not handled yet
    EXPECT_EQ(buttons.pointerMoved(MK_LBUTTON, system.queries()).flags, MK_LBUTTON);
    EXPECT_EQ(buttons.pointerMoved(MK_LBUTTON, system.queries()).flags, MK_LBUTTON);
}

TEST(HeldButtonsTest, buttonLetGoUnseenIsDroppedForGood) {
    HeldButtons buttons;
    WindowSystem system;
    buttons.press(MK_LBUTTON);
    buttons.press(MK_RBUTTON);
    system.held = MK_LBUTTON; // the right button came up over another window
    PointerMove move = buttons.pointerMoved(MK_LBUTTON | MK_RBUTTON, system.queries());
    EXPECT_EQ(move.message, WM_MOUSEMOVE);
    EXPECT_EQ(move.flags, MK_LBUTTON);
    move = buttons.pointerMoved(MK_LBUTTON | MK_RBUTTON, system.queries());
    EXPECT_EQ(move.flags, MK_LBUTTON);
    EXPECT_EQ(buttons.heldOnly(allButtons), MK_LBUTTON);
}

TEST(HeldButtonsTest, buttonReallyHeldWithoutSeenPressBecomesItsPress) {
    HeldButtons buttons;
    WindowSystem system;
    system.held = MK_LBUTTON | MK_RBUTTON;
    PointerMove move = buttons.pointerMoved(MK_LBUTTON | MK_RBUTTON, system.queries());
    EXPECT_EQ(move.message, WM_LBUTTONDOWN); // the lowest first
    move = buttons.pointerMoved(MK_LBUTTON | MK_RBUTTON, system.queries());
    EXPECT_EQ(move.message, WM_RBUTTONDOWN);
    move = buttons.pointerMoved(MK_LBUTTON | MK_RBUTTON, system.queries());
    EXPECT_EQ(move.message, WM_MOUSEMOVE);
    EXPECT_EQ(move.flags, MK_LBUTTON | MK_RBUTTON);
}

TEST(HeldButtonsTest, middleButtonMissedPressIsItsOwnPress) {
    HeldButtons buttons;
    WindowSystem system;
    system.held = MK_MBUTTON;
    EXPECT_EQ(buttons.pointerMoved(MK_MBUTTON | MK_RBUTTON, system.queries()).message,
              WM_MBUTTONDOWN);
    const PointerMove move = buttons.pointerMoved(MK_MBUTTON | MK_RBUTTON, system.queries());
    EXPECT_EQ(move.message, WM_MOUSEMOVE);
    EXPECT_EQ(move.flags, MK_MBUTTON);
}

// The viewer's case, through the mouse capture: during a right drag the
// window loses its hold on the pointer and the button is let go over another
// window. The window system layer goes on reporting the right button with
// every move, and drops the next right press as a repeat.
class LostReleaseTest : public InputFixture {
protected:
    void rightPress(std::int32_t x, std::int32_t y) {
        system.held = MK_RBUTTON;
        buttons.press(MK_RBUTTON);
        captureMouse(WM_RBUTTONDOWN, MK_RBUTTON, makeLParam(x, y));
    }
    // A move reported with the right button held.
    void moveReportedHeld(std::int32_t x, std::int32_t y) {
        const PointerMove move = buttons.pointerMoved(MK_RBUTTON, system.queries());
        captureMouse(move.message, move.flags, makeLParam(x, y));
    }

    HeldButtons buttons;
    WindowSystem system;
};

TEST_F(LostReleaseTest, buttonLetGoElsewhereNoLongerTurnsTheCamera) {
    Camera& camera = listWhole();
    rightPress(400, 300);
    moveReportedHeld(500, 300);
    EXPECT_FLOAT_EQ(camera.pendingRotation.y, 0.1f);
    camera.pendingRotation = {0, 0, 0};

    system.held = 0; // let go over another window
    moveReportedHeld(600, 300);
    moveReportedHeld(700, 300);
    EXPECT_EQ(camera.pendingRotation.x, 0.0f);
    EXPECT_EQ(camera.pendingRotation.y, 0.0f);
}

TEST_F(LostReleaseTest, droppedPressStartsTheDragWhereItIsNoticed) {
    Camera& camera = listWhole();
    rightPress(400, 300);
    system.held = 0; // let go over another window
    moveReportedHeld(100, 100);

    system.held = MK_RBUTTON; // pressed again near (100, 100); the press is dropped
    moveReportedHeld(110, 100);
    EXPECT_EQ(anchorX, 110.0f); // not the old press point (400, 300)
    EXPECT_EQ(anchorY, 100.0f);
    EXPECT_EQ(camera.pendingRotation.y, 0.0f);
    moveReportedHeld(120, 100);
    EXPECT_FLOAT_EQ(camera.pendingRotation.y, 0.01f);
    EXPECT_EQ(camera.pendingRotation.x, 0.0f);
}

} // namespace
} // namespace Vextal
