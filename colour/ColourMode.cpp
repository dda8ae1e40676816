#include "colour/ColourMode.h"

namespace Vextal {

namespace {

constexpr ColourMode modes[] = {ColourMode::plain,  ColourMode::gaussian, ColourMode::mean,
                                ColourMode::height, ColourMode::radius,   ColourMode::parameter};
constexpr std::string_view names[] = {"plain", "gaussian", "mean", "height", "radius", "parameter"};

} // namespace

std::string_view colourModeName(ColourMode mode) {
    return names[static_cast<int>(mode)];
}

std::optional<ColourMode> colourModeNamed(std::string_view name) {
    for (ColourMode mode : modes)
        if (colourModeName(mode) == name)
            return mode;
    return std::nullopt;
}

std::span<const ColourMode> colourModes() {
    return modes;
}

ColourMode nextColourMode(ColourMode mode) {
    const int next = static_cast<int>(mode) + 1;
    return next == static_cast<int>(std::size(modes)) ? ColourMode::plain : modes[next];
}

bool isSignedMode(ColourMode mode) {
    return mode == ColourMode::gaussian || mode == ColourMode::mean;
}

} // namespace Vextal
