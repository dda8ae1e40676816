// vextal: shows the surface that conf.txt in the working directory describes.

#include "app/RunViewer.h"
#include "app/sdl/SdlPlatform.h"

int main() {
    Vextal::SdlPlatform sdl;
    Vextal::setPlatform(&sdl);
    const int exitCode = Vextal::runViewer(nullptr);
    Vextal::setPlatform(nullptr);
    return exitCode;
}
