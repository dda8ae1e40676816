#pragma once

#include "base/LatestOf.h"
#include "mesh/PolygonsIndexedNormal.h"
#include "scene/SceneFileMemory.h"
#include "scene/SceneValues.h"

#include <string>

namespace Vextal {

// The scene's part of the viewer's state: the scene file, the one mesh that
// every frame draws, refilled by every load that reaches "render", and the
// bytes of the scene file last read whole. While a SceneState exists, the code of this
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
    // The file every load reads: "conf.txt" in the working directory, unless
    // the viewer was given another.
    std::string scenePath = "conf.txt";
    PolygonsIndexedNormal sceneMesh;
    // The values of the load that last filled sceneMesh: what is drawn from
    // the formula beyond the mesh (its colours) is worked out from them.
    SceneValues meshValues;
    SceneFileMemory sceneFileMemory;
};

// The scene state made last and not yet destroyed; one must exist.
SceneState& sceneState();

} // namespace Vextal
