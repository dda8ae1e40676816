#pragma once

#include "cli/CommandLine.h"
#include "colour/VertexColouring.h"

#include <optional>
#include <string>

namespace Vextal {

// The options of every tool that colours a mesh: what to colour by, and the
// range the colour map spans.
inline constexpr OptionDescription colourOption{
    "--colour", "MODE",
    "colour the surface by MODE: plain (the material, the default),\n"
    "gaussian or mean (the curvature, from the formula), height\n"
    "(z), radius (distance from the origin) or parameter (a\n"
    "checker of the theta and phi grid)"};
inline constexpr OptionDescription rangeOption{
    "--range", "LO,HI",
    "the values at the colour map's two ends (default: the 2nd\n"
    "to 98th percentile, or -m..m for the curvatures)"};

// True for --colour and --range.
bool isColourOption(const GivenOption& option);

// Applies --colour or --range to `request`; says why a value is refused, in
// one line that names the option.
std::optional<std::string> applyColourOption(const GivenOption& option, ColourRequest& request);

} // namespace Vextal
