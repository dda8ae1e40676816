#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace VextalTools {

// What moves over an animation's frames.
struct AnimationPlan {
    std::uint32_t frames = 72;
    bool turntable = true; // one whole turn about the picture's vertical axis
    bool morph = false;    // from the first scene to the second, eased
    bool bounce = false;   // the morph goes there and back
};

// Where one frame stands: how far the morph has gone (0: the first scene,
// 1: the second) and the turntable's angle in radians.
struct FrameMotion {
    double along = 0;
    float spin = 0;
};

// Frame `index` (from 0) of the plan. The turn takes frames steps of a whole
// turn, so the frame after the last would be the first again: the loop has
// no repeated and no missing frame. A morph starts slowly and ends slowly,
// showing the first scene in the first frame and the second in the last; a
// bouncing one shows the second halfway and loops smoothly back.
FrameMotion frameMotion(const AnimationPlan& plan, std::uint32_t index);

// The files vextal-animate writes.
enum class AnimationKind { gif, webp, mp4, pngFolder };

// The kind an output name asks for: a folder (a name ending in '/', or an
// existing folder), or the extension, in any case. None for another name.
std::optional<AnimationKind> animationKindOf(std::string_view path);

// "gif", "webp", "mp4" or "png" (frames in a folder), as --format names them.
std::optional<AnimationKind> animationKindNamed(std::string_view name);

} // namespace VextalTools
