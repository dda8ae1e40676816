// vextal: shows the surface that conf.txt in the working directory describes.

#include "app/RunViewer.h"
#include "app/ViewerState.h"
#include "app/sdl/SdlPlatform.h"

int main() {
    Vextal::SdlPlatform sdl;
    // The whole run's state; it goes before the window system does.
    Vextal::ViewerState state(sdl);
    return Vextal::runViewer(nullptr);
}
