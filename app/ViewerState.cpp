#include "app/ViewerState.h"

#include <cassert>

namespace Vextal {

ViewerState::ViewerState(Platform& platform) : platform(platform) {
    input.windowSystem = &platform;
}

ViewerState& viewerState() {
    ViewerState* latest = LatestOf<ViewerState>::get();
    assert(latest != nullptr && "no viewer state exists");
    return *latest;
}

Platform& platform() {
    return viewerState().platform;
}

} // namespace Vextal
