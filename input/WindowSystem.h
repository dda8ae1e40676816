#pragma once

#include "input/GLWindow.h"
#include "input/WindowMessages.h"

#include <cstdint>

namespace Vextal {

// What the window procedure asks of the window system: the window's record
// slot, the quit request and the default processing of a message. The
// viewer's platform offers these and everything else a window needs
// (app/Platform.h); the window procedure needs nothing more.
class WindowSystem {
public:
    virtual ~WindowSystem() = default;

    // The window's record slot: windowRecord returns null until setWindowRecord
    // has stored a record for hwnd.
    virtual void setWindowRecord(void* hwnd, GLWindow* record) = 0;
    virtual GLWindow* windowRecord(void* hwnd) = 0;

    // Posts WM_QUIT to the window itself; the message pump ends when it takes it.
    virtual void postQuit(void* hwnd) = 0;

    // What the window system does with a message the viewer does not handle.
    virtual LResult defaultProcessing(void* hwnd, std::uint32_t message, WParam wParam,
                                      LParam lParam) = 0;
};

} // namespace Vextal
