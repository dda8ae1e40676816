#include "tools/AnimationPlan.h"

#include "cli/CommandLine.h"

#include <cmath>
#include <numbers>
#include <string>
#include <sys/stat.h>

namespace VextalTools {

namespace {

// Slow at both ends: half a cosine wave from 0 to 1.
double eased(double t) {
    return (1 - std::cos(std::numbers::pi * t)) / 2;
}

} // namespace

FrameMotion frameMotion(const AnimationPlan& plan, std::uint32_t index) {
    FrameMotion motion;
    const double turnPart = double(index) / double(plan.frames);
    if (plan.turntable)
        motion.spin = float(2 * std::numbers::pi * turnPart);
    if (plan.morph && plan.bounce)
        motion.along = eased(2 * turnPart);
    else if (plan.morph && plan.frames > 1)
        motion.along = eased(double(index) / double(plan.frames - 1));
    return motion;
}

std::optional<AnimationKind> animationKindNamed(std::string_view name) {
    const std::string lower = Vextal::lowerCase(name);
    if (lower == "gif")
        return AnimationKind::gif;
    if (lower == "webp")
        return AnimationKind::webp;
    if (lower == "mp4")
        return AnimationKind::mp4;
    if (lower == "png")
        return AnimationKind::pngFolder;
    return std::nullopt;
}

std::optional<AnimationKind> animationKindOf(std::string_view path) {
    struct stat status {};
    if (path.ends_with('/') ||
        (stat(std::string(path).c_str(), &status) == 0 && S_ISDIR(status.st_mode)))
        return AnimationKind::pngFolder;
    const std::string_view file = path.substr(path.find_last_of('/') + 1);
    const std::size_t dot = file.find_last_of('.');
    if (dot == std::string_view::npos || dot == 0)
        return std::nullopt;
    const std::optional<AnimationKind> kind = animationKindNamed(file.substr(dot + 1));
    return kind == AnimationKind::pngFolder ? std::nullopt : kind;
}

} // namespace VextalTools
