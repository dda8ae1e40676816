#pragma once

#include "base/LatestOf.h"
#include "mesh/PolygonsIndexedNormal.h"
#include "scene/SceneFileMemory.h"

namespace Vextal {

// The scene's part of the viewer's state: the one mesh that every frame
// draws, refilled by every load that reaches "render", and the bytes of the
// scene file last read whole. While a SceneState exists, the code of this
// layer reaches the one made last through sceneState(); destroying it brings
// back the one before.
class SceneState {
public:
    SceneState();
    SceneState(const SceneState&) = delete;
    SceneState& operator=(const SceneState&) = delete;

private:
    // First, so that the state is reachable while its other members are
    // made and destroyed.
    LatestOf<SceneState> latest{*this};

public:
    PolygonsIndexedNormal sceneMesh;
    SceneFileMemory sceneFileMemory;
};

// The scene state made last and not yet destroyed; one must exist.
SceneState& sceneState();

} // namespace Vextal
