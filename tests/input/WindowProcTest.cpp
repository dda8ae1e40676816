#include "camera/InputFixture.h"

#include "camera/CameraView.h"
#include "input/GLWindow.h"
#include "input/WindowProc.h"
#include "support/ScriptedWindowSystem.h"

#include <map>
#include <vector>

namespace Vextal {
namespace {

// Keeps the records, notes quit requests and what reaches default processing.
using StandInPlatform = VextalTest::ScriptedWindowSystem;

class WindowProcTest : public InputFixture {
protected:
    void SetUp() override {
        input.windowSystem = &system;
        window.keys = keys.data();
        CreateStruct creation{&window};
        EXPECT_EQ(send(WM_CREATE, 0, reinterpret_cast<LParam>(&creation)), 0);
        EXPECT_EQ(system.windowRecord(hwnd), &window);
    }
    LResult send(std::uint32_t message, WParam wParam, LParam lParam = 0) {
        return windowProc(hwnd, message, wParam, lParam);
    }
    LResult resize(std::uint32_t kind, std::int32_t width, std::int32_t height) {
        return send(WM_SIZE, kind, makeLParam(width, height));
    }

    std::int32_t& programRunning = input.programRunning;
    void* hwnd = &window;
    StandInPlatform system;
    GLWindow window;
};

constexpr LResult byDefault = StandInPlatform::defaultResult;

TEST_F(WindowProcTest, autoRepeatKeepsKeyHeldAndOneKeyUpReleasesIt) {
    EXPECT_EQ(send(WM_KEYDOWN, VK_R), 0);
    send(WM_KEYDOWN, VK_R);
    EXPECT_EQ(keys[VK_R], 1);
    EXPECT_EQ(send(WM_KEYUP, VK_R), 0);
    EXPECT_EQ(keys[VK_R], 0);
    EXPECT_TRUE(system.defaulted.empty());
    EXPECT_EQ(send(WM_KEYDOWN, 256), byDefault); // no entry past the table
}

TEST_F(WindowProcTest, systemKeysNeverReachTheTable) {
    EXPECT_EQ(send(WM_SYSKEYDOWN, VK_F10), byDefault);
    send(WM_SYSKEYDOWN, VK_R); // R with Alt held
    send(WM_KEYDOWN, VK_CONTROL);
    EXPECT_EQ(keys[VK_F10], 0);
    EXPECT_EQ(keys[VK_R], 0);
    EXPECT_EQ(keys[VK_CONTROL], 1);
}

TEST_F(WindowProcTest, focusLossReleasesEveryKey) {
    send(WM_KEYDOWN, VK_R);
    send(WM_KEYDOWN, VK_PRIOR);
    EXPECT_EQ(send(WM_KILLFOCUS, 0), byDefault);
    EXPECT_EQ(keys[VK_R], 0);
    EXPECT_EQ(keys[VK_PRIOR], 0);
}

TEST_F(WindowProcTest, minimiseHidesAndRestoreShowsAndResizes) {
    Camera& camera = listWhole();
    window.visible = 1;
    EXPECT_EQ(resize(SIZE_MINIMIZED, 0, 0), 0);
    EXPECT_EQ(window.visible, 0u);
    EXPECT_EQ(camera.pixelWidth, 800);
    EXPECT_EQ(resize(4, 10, 10), byDefault);
    EXPECT_EQ(resize(SIZE_RESTORED, 1024, 768), 0);
    EXPECT_EQ(window.visible, 1u);
    EXPECT_EQ(windowHeight, 768u);
    EXPECT_EQ(camera.pixelWidth, 1024);
    resize(SIZE_MINIMIZED, 0, 0);
    resize(SIZE_MAXIMIZED, 40000, 30000); // sizes are unsigned
    EXPECT_EQ(window.visible, 1u);
    EXPECT_EQ(camera.pixelWidth, 40000);
}

TEST_F(WindowProcTest, zeroHeightShowsWindowAndSkipsItsViewport) {
    Camera& camera = listWhole();
    camera.pendingRotation = {0.1f, 0, 0};
    resize(SIZE_RESTORED, 800, 0);
    EXPECT_EQ(window.visible, 1u);
    EXPECT_EQ(windowHeight, 0u);
    EXPECT_FALSE(hasPixelArea(camera));        // so the frame skips it
    EXPECT_EQ(camera.pendingRotation.x, 0.1f); // kept for when it has a size
}

TEST_F(WindowProcTest, closePostsQuitToTheWindowWithoutDestroyingIt) {
    programRunning = 1;
    EXPECT_EQ(send(WM_CLOSE, 0), 0);
    EXPECT_EQ(programRunning, 0);
    EXPECT_EQ(system.quitPostedTo, std::vector<void*>{hwnd});
    EXPECT_TRUE(system.defaulted.empty()); // default processing would destroy it
}

TEST_F(WindowProcTest, screenSaverAndMonitorPowerAreSwallowed) {
    EXPECT_EQ(send(WM_SYSCOMMAND, SC_SCREENSAVE), 0);
    EXPECT_EQ(send(WM_SYSCOMMAND, SC_MONITORPOWER), 0);
    EXPECT_TRUE(system.defaulted.empty());
    EXPECT_EQ(send(WM_SYSCOMMAND, SC_SCREENSAVE | 1), byDefault); // the whole parameter
    EXPECT_EQ(send(WM_SYSCOMMAND, 0xF060), byDefault);
}

TEST_F(WindowProcTest, mouseMessagesReachCaptureThenDefault) {
    Camera& camera = listWhole();
    EXPECT_EQ(send(WM_LBUTTONDOWN, MK_LBUTTON, makeLParam(10, 10)), byDefault);
    EXPECT_EQ(send(WM_MOUSEMOVE, MK_LBUTTON, makeLParam(20, 10)), byDefault);
    EXPECT_FLOAT_EQ(camera.translation.x, 0.01f);
}

TEST_F(WindowProcTest, messagesBeforeCreateTouchNoRecord) {
    void* newborn = &system;
    EXPECT_EQ(windowProc(newborn, WM_KEYDOWN, VK_R, 0), 0);
    windowProc(newborn, WM_SIZE, SIZE_MINIMIZED, 0);
    windowProc(newborn, WM_KILLFOCUS, 0, 0);
    EXPECT_EQ(keys[VK_R], 0);
}

} // namespace
} // namespace Vextal
