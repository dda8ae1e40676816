#include "scene/SceneState.h"

#include <cassert>

namespace Vextal {

SceneState::SceneState() = default;

SceneState& sceneState() {
    SceneState* latest = LatestOf<SceneState>::get();
    assert(latest != nullptr && "no scene state exists");
    return *latest;
}

} // namespace Vextal
