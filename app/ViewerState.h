#pragma once

#include "app/Overlay.h"
#include "app/Platform.h"
#include "app/SceneWatch.h"
#include "app/ViewerColouring.h"
#include "base/LatestOf.h"
#include "input/InputState.h"
#include "render/RenderState.h"
#include "scene/SceneState.h"

#include <memory>
#include <optional>

namespace Vextal {

// The state of one run of the viewer, in one object: one part per layer,
// made from the bottom layer up (the scene, then input and cameras, then
// drawing) and destroyed from the top down, so the mouse catcher goes before
// the cameras it steers and the cameras before the mesh. Each layer reaches
// its own part through sceneState(), inputState() and renderState(), the
// viewer the whole through viewerState(). The key state table, the window
// records and the window class are the entry function's own (runViewer).
class ViewerState {
public:
    // The platform is not owned; it must outlive the state.
    explicit ViewerState(Platform& platform);
    ViewerState(const ViewerState&) = delete;
    ViewerState& operator=(const ViewerState&) = delete;

private:
    // First, so that the state is reachable while its other members are
    // made and destroyed.
    LatestOf<ViewerState> latest{*this};

public:
    Platform& platform;
    SceneState scene;
    InputState input;
    RenderState render;
    // Set when the viewer watches its scene file for saves (--watch).
    std::unique_ptr<SceneWatch> sceneWatch;
    // Set when a scene file that does not load at start says why on stderr
    // (--watch, --panel); otherwise the start is silent.
    bool explainBrokenStart = false;
    // Drawn over the views and told of the scene file (--panel); not owned.
    Overlay* overlay = nullptr;
    // Set when the surface may be coloured (--colour, --panel): C then
    // cycles the colourings. Without it the material alone is drawn.
    std::optional<ViewerColouring> colouring;
};

// The viewer state made last and not yet destroyed; one must exist.
ViewerState& viewerState();

} // namespace Vextal
