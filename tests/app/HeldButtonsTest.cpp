#include "camera/InputFixture.h"

#include "app/HeldButtons.h"
#include "app/WindowMessages.h"

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

TEST(HeldButtonsTest, hidingTheWindowForgetsEveryButton) {
    HeldButtons buttons;
    buttons.press(MK_LBUTTON);
    buttons.press(MK_RBUTTON);
    buttons.press(MK_MBUTTON);
    buttons.forgetAll();
    EXPECT_EQ(buttons.heldOnly(allButtons | MK_SHIFT), MK_SHIFT);
}

// Stands in for the window system's answer to "which buttons are held now",
// and counts how often it is asked.
struct ActualButtons {
    std::uint32_t held = 0;
    int asked = 0;
    std::function<std::uint32_t()> query() {
        return [this] {
            ++asked;
            return held;
        };
    }
};

TEST(HeldButtonsTest, moveWithSeenButtonsAsksNothing) {
    HeldButtons buttons;
    ActualButtons actual;
    buttons.press(MK_RBUTTON);
    const PointerMove move = buttons.pointerMoved(MK_RBUTTON | MK_CONTROL, actual.query());
    EXPECT_EQ(move.message, WM_MOUSEMOVE);
    EXPECT_EQ(move.flags, MK_RBUTTON | MK_CONTROL);
    EXPECT_EQ(buttons.pointerMoved(0, actual.query()).flags, 0u);
    EXPECT_EQ(actual.asked, 0);
}

TEST(HeldButtonsTest, buttonReportedButReallyUpIsDropped) {
    HeldButtons buttons;
    ActualButtons actual;
    const PointerMove move = buttons.pointerMoved(MK_RBUTTON | MK_SHIFT, actual.query());
    EXPECT_EQ(move.message, WM_MOUSEMOVE);
    EXPECT_EQ(move.flags, MK_SHIFT);
    EXPECT_EQ(actual.asked, 1);
}

TEST(HeldButtonsTest, buttonReallyDownWithoutSeenPressBecomesItsPress) {
    HeldButtons buttons;
    ActualButtons actual;
    actual.held = MK_LBUTTON | MK_RBUTTON;
    PointerMove move = buttons.pointerMoved(MK_LBUTTON | MK_RBUTTON, actual.query());
    EXPECT_EQ(move.message, WM_LBUTTONDOWN); // the lowest first
    move = buttons.pointerMoved(MK_LBUTTON | MK_RBUTTON, actual.query());
    EXPECT_EQ(move.message, WM_RBUTTONDOWN);
    move = buttons.pointerMoved(MK_LBUTTON | MK_RBUTTON, actual.query());
    EXPECT_EQ(move.message, WM_MOUSEMOVE);
    EXPECT_EQ(move.flags, MK_LBUTTON | MK_RBUTTON);
    EXPECT_EQ(actual.asked, 2);
}

TEST(HeldButtonsTest, middleButtonMissedPressIsItsOwnPress) {
    HeldButtons buttons;
    ActualButtons actual;
    actual.held = MK_MBUTTON;
    EXPECT_EQ(buttons.pointerMoved(MK_MBUTTON | MK_RBUTTON, actual.query()).message,
              WM_MBUTTONDOWN);
    const PointerMove move = buttons.pointerMoved(MK_MBUTTON | MK_RBUTTON, actual.query());
    EXPECT_EQ(move.message, WM_MOUSEMOVE);
    EXPECT_EQ(move.flags, MK_MBUTTON);
}

// The viewer's case, through the mouse capture: a right drag, the window
// minimised while the button is held and the button let go elsewhere. The
// window system goes on reporting the right button with every move, and
// drops the next right press as a repeat.
class LostReleaseTest : public InputFixture {
protected:
    void rightPress(std::int32_t x, std::int32_t y) {
        buttons.press(MK_RBUTTON);
        captureMouse(WM_RBUTTONDOWN, MK_RBUTTON, makeLParam(x, y));
    }
    // A move reported with the right button held.
    void moveReportedHeld(std::int32_t x, std::int32_t y) {
        const PointerMove move = buttons.pointerMoved(MK_RBUTTON, actual.query());
        captureMouse(move.message, move.flags, makeLParam(x, y));
    }

    HeldButtons buttons;
    ActualButtons actual;
};

TEST_F(LostReleaseTest, buttonLetGoWhileHiddenNoLongerTurnsTheCamera) {
    Camera& camera = listWhole();
    actual.held = MK_RBUTTON;
    rightPress(400, 300);
    moveReportedHeld(500, 300);
    EXPECT_FLOAT_EQ(camera.pendingRotation.y, 0.1f);
    camera.pendingRotation = {0, 0, 0};

    buttons.forgetAll(); // minimised
    actual.held = 0;     // let go over another window
    moveReportedHeld(600, 300);
    moveReportedHeld(700, 300);
    EXPECT_EQ(camera.pendingRotation.x, 0.0f);
    EXPECT_EQ(camera.pendingRotation.y, 0.0f);
}

TEST_F(LostReleaseTest, droppedPressStartsTheDragWhereItIsNoticed) {
    Camera& camera = listWhole();
    actual.held = MK_RBUTTON;
    rightPress(400, 300);
    buttons.forgetAll(); // minimised, let go elsewhere, restored
    actual.held = 0;
    moveReportedHeld(100, 100);

    actual.held = MK_RBUTTON; // pressed again near (100, 100); the press is dropped
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
