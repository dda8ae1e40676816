#include "input/WindowProc.h"

#include "camera/CameraList.h"
#include "camera/MouseCapture.h"
#include "input/GLWindow.h"
#include "input/InputState.h"
#include "input/KeyState.h"

#include <cassert>

namespace Vextal {

namespace {

GLWindow* createdRecord(LParam lParam) {
    const auto* creation = reinterpret_cast<const CreateStruct*>(lParam);
    return creation != nullptr ? static_cast<GLWindow*>(creation->createParams) : nullptr;
}

// Returns false for size kinds the window procedure leaves to the platform.
bool handleSize(GLWindow* record, WParam kind, LParam lParam) {
    if (kind == SIZE_MINIMIZED) {
        if (record != nullptr)
            record->visible = 0;
        return true;
    }
    if (kind != SIZE_RESTORED && kind != SIZE_MAXIMIZED)
        return false;
    if (record != nullptr)
        record->visible = 1;
    resizeViewports(lowWord(WParam(lParam)), highWord(WParam(lParam)));
    return true;
}

void setKey(GLWindow* record, WParam code, std::int32_t state) {
    if (record != nullptr && record->keys != nullptr)
        record->keys[code] = state;
}

} // namespace

LResult windowProc(void* hwnd, std::uint32_t message, WParam wParam, LParam lParam) {
    InputState& input = inputState();
    assert(input.windowSystem != nullptr && "the viewer sets the window system");
    WindowSystem& system = *input.windowSystem;
    GLWindow* record = system.windowRecord(hwnd);
    captureMouse(message, wParam, lParam);

    switch (message) {
    case WM_CREATE:
        system.setWindowRecord(hwnd, createdRecord(lParam));
        return 0;
    case WM_SIZE:
        if (handleSize(record, wParam, lParam))
            return 0;
        break;
    case WM_CLOSE:
        // To the window itself: the pump only takes this window's messages.
        system.postQuit(hwnd);
        input.programRunning = 0;
        return 0;
    case WM_KEYDOWN:
    case WM_KEYUP:
        if (wParam < WParam(keyTableSize)) {
            setKey(record, wParam, message == WM_KEYDOWN ? 1 : 0);
            return 0;
        }
        break;
    case WM_KILLFOCUS:
        // Key-ups that happen while another window has the focus never arrive;
        // without this a released key would stay held.
        clearKeyTable(record != nullptr ? record->keys : nullptr);
        break;
    case WM_SYSCOMMAND:
        if (wParam == SC_SCREENSAVE || wParam == SC_MONITORPOWER)
            return 0;
        break;
    default:
        break;
    }
    return system.defaultProcessing(hwnd, message, wParam, lParam);
}

} // namespace Vextal
