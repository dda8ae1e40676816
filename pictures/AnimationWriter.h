#pragma once

#include "pictures/PngWriter.h"

#include <cstdint>
#include <optional>
#include <string>

namespace Vextal {

// What every frame of an animation shares.
struct AnimationFormat {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    double framesPerSecond = 24;
    // 0 to 100 where the format has a lossy mode; none: its default (lossless
    // where it has one).
    std::optional<int> quality;
    // Frames carry straight alpha that the file keeps (transparent background).
    bool transparent = false;
};

// Writes an animation frame by frame. Each call returns an empty string when
// it succeeded, else one line saying why not; after a failure the writer is
// only to be destroyed, and whatever it wrote is the caller's to discard.
class AnimationWriter {
public:
    virtual ~AnimationWriter() = default;
    // Before the first frame: what can fail before any drawing fails here.
    virtual std::string start() { return {}; }
    // A frame of the format's size, its alpha as the format says.
    virtual std::string addFrame(const RgbaPicture& frame) = 0;
    // After the last frame: writes whatever is still held and ends the file.
    virtual std::string finish() = 0;
};

// How long frame `index` stays on screen, in whole units of which `perSecond`
// make a second, so that the frames' start times stay as near the exact ones
// as whole units allow (no drift over a long animation).
std::uint32_t frameDuration(std::uint32_t index, double framesPerSecond, std::uint32_t perSecond);

// The start of frame `index` in the same units.
std::uint32_t frameStart(std::uint32_t index, double framesPerSecond, std::uint32_t perSecond);

} // namespace Vextal
