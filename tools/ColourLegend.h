#pragma once

#include "mesh/VertexColours.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace VextalTools {

// The font the legend is written in (Debian's fonts-dejavu-core).
inline constexpr const char* legendFontPath = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

// A colour bar at the picture's right edge, the colourings' map from the
// range's low end (bottom) to its high end (top), labelled with both ends (and
// 0 in the middle for the curvatures) and titled with the mode; light text
// with a dark shadow, readable on any background. Drawn into RGBA pixels
// (top row first), opaque where it draws. Says why when the font cannot be
// read; a picture too small for it is left as it is.
std::optional<std::string> drawColourLegend(const Vextal::VertexColours& colours,
                                            std::uint32_t width, std::uint32_t height,
                                            std::vector<std::uint8_t>& rgba,
                                            const char* fontPath = legendFontPath);

} // namespace VextalTools
