#include "input/InputState.h"

#include <cassert>

namespace Vextal {

InputState::InputState() : catchCam(std::make_unique<CatchCam>(cameraList.cameras)) {}

InputState& inputState() {
    InputState* latest = LatestOf<InputState>::get();
    assert(latest != nullptr && "no input state exists");
    return *latest;
}

} // namespace Vextal
