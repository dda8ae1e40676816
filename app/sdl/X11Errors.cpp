#include "app/sdl/X11Errors.h"

#include <X11/Xlib.h>

#include <cstdio>

namespace Vextal {

namespace {

XErrorHandler previousHandler = nullptr;

int ignoreVanishedWindow(Display* display, XErrorEvent* error) {
    if (error->error_code == BadWindow) {
        std::fprintf(stderr, "vextal: X request %d named a window that is gone; ignored\n",
                     int(error->request_code));
        return 0;
    }
    return previousHandler != nullptr ? previousHandler(display, error) : 0;
}

} // namespace

void tolerateVanishedWindows() {
    const XErrorHandler previous = XSetErrorHandler(ignoreVanishedWindow);
    if (previous != ignoreVanishedWindow)
        previousHandler = previous;
}

} // namespace Vextal
