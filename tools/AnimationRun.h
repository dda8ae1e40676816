#pragma once

#include "scene/SceneValues.h"
#include "tools/AnimationPlan.h"
#include "tools/PictureOptions.h"
#include "tools/SceneDrawing.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace VextalTools {

// An animation to write: vextal-animate's options once read.
struct AnimationJob {
    std::string outPath;
    AnimationKind kind = AnimationKind::gif;
    PictureSettings picture;
    AnimationPlan plan;
    double framesPerSecond = 24;
    std::optional<int> quality;
    std::vector<std::string> inputs; // every scene file read, never written over by any name
};

// Why the chosen file cannot take the job's pictures or timing; none when it can.
Refusal animationRefusal(const AnimationJob& job);

// Both ends of a morph, which must draw the same surface.
struct MorphEnds {
    Vextal::SceneValues from;
    Vextal::SceneValues to;
};

// Told the frames drawn so far after each frame; false stops the animation,
// which then writes nothing.
using FrameDone = std::function<bool(std::uint32_t)>;

// Draws every frame with the started drawing (a morph's mesh tessellated
// anew for each) and writes them through the one safe writer, so the output
// is whole or left as it was; a folder of frames has each frame so. A
// problem names the output. Stopped, it says "stopped".
std::optional<DrawingProblem> writeAnimation(const AnimationJob& job, SceneDrawing& drawing,
                                             const std::optional<MorphEnds>& morph,
                                             const std::string& comment,
                                             const FrameDone& frameDone);

} // namespace VextalTools
