#pragma once

#include <optional>
#include <span>
#include <string_view>

namespace Vextal {

// How a mesh is coloured: its material alone (plain), or one value per
// vertex through a colour map.
enum class ColourMode { plain, gaussian, mean, height, radius, parameter };

// "plain", "gaussian", "mean", "height", "radius", "parameter".
std::string_view colourModeName(ColourMode mode);
std::optional<ColourMode> colourModeNamed(std::string_view name);
// Every mode, in the order above (the order a key cycles through them).
std::span<const ColourMode> colourModes();

// The mode that follows `mode` in that order, plain after the last.
ColourMode nextColourMode(ColourMode mode);

// True for the curvatures, whose values have either sign and are drawn
// with the diverging map centred at 0.
bool isSignedMode(ColourMode mode);

} // namespace Vextal
