// vextal [--watch] [--panel] [--colour MODE] [SCENE_FILE]: shows the surface that
// SCENE_FILE, or conf.txt in the working directory, describes.

#include "app/RunViewer.h"
#include "app/ViewerState.h"
#include "app/sdl/SdlPanel.h"
#include "app/sdl/SdlPlatform.h"
#include "base/EscapedText.h"
#include "cli/CommandLine.h"
#include "colour/ColourMode.h"
#include "panel/SceneEditor.h"

#include <cstdio>
#include <memory>
#include <optional>

namespace {

constexpr const char* operands[] = {"[SCENE_FILE]"};
constexpr Vextal::OptionDescription options[] = {
    {"--watch", nullptr,
     "reload the scene file whenever it is saved, without R; a\n"
     "save that does not reach 'render' keeps the surface and\n"
     "says why on stderr, as does a file that does not load at\n"
     "start"},
    {"--panel", nullptr,
     "show the scene panel at the window's left edge: drag or\n"
     "type any value and the surface follows; save, revert,\n"
     "undo, write a PNG or a mesh beside the scene file"},
    {"--colour", "MODE",
     "colour the surface by MODE: plain (the material), gaussian\n"
     "or mean (the curvature, from the formula), height (z), radius\n"
     "(distance from the origin) or parameter (a checker of the\n"
     "theta and phi grid); C then cycles the modes"},
};

constexpr Vextal::ProgramDescription program{
    "vextal",
    operands,
    "Show the surface that a scene file (conf.txt in the working directory) describes, in a "
    "window.",
    "The window (800 x 600, resizable) shows the surface lit and smooth-shaded.\n"
    "Edit the scene file while it runs and hold R to read it again; its format is\n"
    "in vextal-scene(5). SCENE_FILE is read instead of conf.txt, relative to the\n"
    "working directory.\n"
    "\n"
    "Keys and mouse:\n"
    "  R held              reload the scene file in every frame\n"
    "  P, F                wireframe with the axes (red X, green Y, blue Z), filled\n"
    "  N, E                show, hide the vertex normals\n"
    "  Page Up, Page Down  move the surface towards, away from you\n"
    "  Control             back to the first view\n"
    "  C                   next colouring (only with --colour or --panel)\n"
    "  left drag           pan\n"
    "  right drag          turn\n"
    "  both buttons, drag  approach\n"
    "  wheel               zoom\n"
    "  close box           quit\n"
    "\n"
    "With --panel, the scene panel at the left edge shows every value of the\n"
    "scene file as the loader read it; drag a value, or double-click it to type\n"
    "one, and the surface follows. Below the values: Save, Revert, Undo, Redo, a\n"
    "name to save elsewhere, a PNG of the view and a mesh (OBJ, PLY or STL,\n"
    "welded or not) written beside the scene file under a new name, then the\n"
    "counts, the last load's and frame's times and the warnings vextal-check\n"
    "gives. Over the panel, keys and the mouse go to it only.\n"
    "  F1                  hide, show the panel\n"
    "  Control+S           save the scene file (canonical: one command a line)\n"
    "  Control+Z, +Y       undo, redo the panel's changes\n",
    options,
    "  0    the window was closed\n"
    "  1    no OpenGL window could be made\n"
    "  2    the help or the version could not be written\n"
    "  64   usage error\n"
    "  255  no display to open the window on\n",
    "The starfish, one of the installed examples, reloaded at every save.\n"
    "  cp " VEXTAL_EXAMPLES_DIR "/starfish.vextal . && vextal --watch starfish.vextal\n"
    "The same, explored by hand with the scene panel.\n"
    "  vextal --panel --watch starfish.vextal\n",
};

} // namespace

int main(int argc, char** argv) {
    const Vextal::ParsedCommandLine line = Vextal::parseCommandLine(program, argc, argv);
    if (line.exitNow)
        return Vextal::finishOutput(program, *line.exitNow);
    std::optional<Vextal::ColourMode> colouring;
    for (const Vextal::GivenOption& option : line.options) {
        if (option.description->name == "--panel" && !colouring)
            colouring = Vextal::ColourMode::plain;
        if (option.description->name != "--colour")
            continue;
        colouring = Vextal::colourModeNamed(Vextal::lowerCase(option.value));
        if (!colouring)
            return Vextal::reportUsageError(
                program,
                "--colour needs plain, gaussian, mean, height, radius or parameter, got '" +
                    Vextal::escaped(option.value) + "'");
    }
    Vextal::SdlPlatform sdl;
    // The whole run's state; it goes before the window system does.
    Vextal::ViewerState state(sdl);
    if (!line.operands.empty())
        state.scene.scenePath = line.operands[0];
    if (colouring)
        state.colouring.emplace().mode = *colouring;
    std::unique_ptr<Vextal::SceneEditor> editor;
    std::unique_ptr<Vextal::SdlPanel> panel;
    for (const Vextal::GivenOption& option : line.options) {
        if (option.description->name == "--watch") {
            state.sceneWatch = std::make_unique<Vextal::SceneWatch>(state.scene.scenePath);
            // Not watching at all, or a folder on the way looked at on a timer.
            if (!state.sceneWatch->error().empty())
                std::fprintf(stderr, "vextal: %s\n", state.sceneWatch->error().c_str());
        } else if (option.description->name == "--colour") {
            continue; // a colouring changes nothing of what the start says
        } else if (option.description->name == "--panel" && !panel) {
            editor =
                std::make_unique<Vextal::SceneEditor>(state.scene.scenePath, state.scene.sceneMesh);
            panel = std::make_unique<Vextal::SdlPanel>(*editor);
            sdl.setPanel(panel.get());
            state.overlay = panel.get();
        }
        state.explainBrokenStart = true;
    }
    return Vextal::finishOutput(program, Vextal::runViewer(nullptr));
}
