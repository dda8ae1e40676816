// vextal [--watch] [SCENE_FILE]: shows the surface that SCENE_FILE, or
// conf.txt in the working directory, describes.

#include "app/RunViewer.h"
#include "app/ViewerState.h"
#include "app/sdl/SdlPlatform.h"

#include <cstdio>
#include <memory>
#include <string_view>

namespace {

constexpr int exitUsage = 64;

struct Arguments {
    const char* scenePath = nullptr;
    bool watch = false;
};

bool parseArguments(int argc, char** argv, Arguments& args) {
    bool optionsEnded = false;
    for (int k = 1; k < argc; ++k) {
        const std::string_view arg = argv[k];
        if (!optionsEnded && arg == "--")
            optionsEnded = true;
        else if (!optionsEnded && arg == "--watch")
            args.watch = true;
        else if (!optionsEnded && arg.size() > 1 && arg[0] == '-')
            return false;
        else if (args.scenePath == nullptr)
            args.scenePath = argv[k];
        else
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    Arguments args;
    if (!parseArguments(argc, argv, args)) {
        std::fprintf(stderr, "usage: vextal [--watch] [SCENE_FILE]\n");
        return exitUsage;
    }
    Vextal::SdlPlatform sdl;
    // The whole run's state; it goes before the window system does.
    Vextal::ViewerState state(sdl);
    if (args.scenePath)
        state.scene.scenePath = args.scenePath;
    if (args.watch) {
        state.sceneWatch = std::make_unique<Vextal::SceneWatch>(state.scene.scenePath);
        if (!state.sceneWatch->watching())
            std::fprintf(stderr, "vextal: %s\n", state.sceneWatch->error().c_str());
    }
    return Vextal::runViewer(nullptr);
}
