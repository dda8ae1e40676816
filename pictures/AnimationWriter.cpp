#include "pictures/AnimationWriter.h"

#include <cmath>

namespace Vextal {

std::uint32_t frameStart(std::uint32_t index, double framesPerSecond, std::uint32_t perSecond) {
    return std::uint32_t(std::lround(double(index) * perSecond / framesPerSecond));
}

std::uint32_t frameDuration(std::uint32_t index, double framesPerSecond, std::uint32_t perSecond) {
    return frameStart(index + 1, framesPerSecond, perSecond) -
           frameStart(index, framesPerSecond, perSecond);
}

} // namespace Vextal
