#pragma once

#include "app/GLWindow.h"
#include "app/WindowMessages.h"

#include <cstdint>

namespace Vextal {

// What the core asks of the window system. The product installs the SDL
// implementation; tests install a scripted stand-in.
class Platform {
public:
    virtual ~Platform() = default;

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

// The installed platform. Throws std::logic_error when none is installed.
Platform& platform();

// Installs implementation (not owned; it must outlive its use); null uninstalls.
void setPlatform(Platform* implementation);

} // namespace Vextal
