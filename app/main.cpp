// vextal: shows the surface that conf.txt in the working directory describes.

#include "app/RunViewer.h"
#include "app/ViewerState.h"
#include "app/sdl/SdlPlatform.h"
#include "cli/CommandLine.h"

namespace {

constexpr Vextal::ProgramDescription program{
    "vextal",
    {},
    "Show the surface that conf.txt in the working directory describes, in a window.",
    "The window (800 x 600, resizable) shows the surface lit and smooth-shaded.\n"
    "Edit conf.txt while it runs and hold R to read it again; its format is in\n"
    "vextal-scene(5). It takes no other arguments.\n"
    "\n"
    "Keys and mouse:\n"
    "  R held              reload conf.txt in every frame\n"
    "  P, F                wireframe with the axes (red X, green Y, blue Z), filled\n"
    "  N, E                show, hide the vertex normals\n"
    "  Page Up, Page Down  move the surface towards, away from you\n"
    "  Control             back to the first view\n"
    "  left drag           pan\n"
    "  right drag          turn\n"
    "  both buttons, drag  approach\n"
    "  wheel               zoom\n"
    "  close box           quit\n",
    {},
    "  0    the window was closed\n"
    "  1    no OpenGL window could be made\n"
    "  64   usage error\n"
    "  255  no display to open the window on\n",
    "The starfish, one of the installed examples.\n"
    "  cp /usr/share/vextal/examples/starfish.txt conf.txt && vextal\n",
};

} // namespace

int main(int argc, char** argv) {
    const Vextal::ParsedCommandLine line = Vextal::parseCommandLine(program, argc, argv);
    if (line.exitNow)
        return *line.exitNow;
    Vextal::SdlPlatform sdl;
    // The whole run's state; it goes before the window system does.
    Vextal::ViewerState state(sdl);
    return Vextal::runViewer(nullptr);
}
