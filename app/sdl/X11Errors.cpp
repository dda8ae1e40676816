#include "app/sdl/X11Errors.h"

#include <X11/Xlib.h>

#include <cstdio>

namespace Vextal {

namespace {

XErrorHandler previousHandler = nullptr;
XID viewerWindow = 0;
bool viewerWindowGone = false;

int ignoreVanishedWindow(Display* display, XErrorEvent* error) {
    const bool vanished = error->error_code == BadWindow || error->error_code == BadDrawable;
    if (vanished && viewerWindow != 0 && error->resourceid == viewerWindow) {
        viewerWindowGone = true;
        return 0;
    }
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

void watchViewerWindow(unsigned long window) {
    viewerWindow = window;
    viewerWindowGone = false;
}

bool viewerWindowDestroyed() {
    return viewerWindowGone;
}

} // namespace Vextal
