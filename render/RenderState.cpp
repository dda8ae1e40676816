#include "render/RenderState.h"

#include <cassert>

namespace Vextal {

RenderState::RenderState() = default;

RenderState& renderState() {
    RenderState* latest = LatestOf<RenderState>::get();
    assert(latest != nullptr && "no render state exists");
    return *latest;
}

} // namespace Vextal
