#pragma once

#include "mesh/VertexColours.h"

#include <optional>
#include <string>

namespace Vextal {

// What a colour legend says of a colouring: its title ("gaussian K"), its
// range's ends in as many digits as tell them apart (three at the fewest),
// and, for the curvatures, where 0 falls on the bar when the range holds
// it. Every legend (a picture's, the page's) words it so.
struct LegendText {
    std::string title;
    std::string low;
    std::string high;
    std::optional<double> zeroAt; // 0 at the low end, 1 at the high end
};

LegendText legendText(const VertexColours& colours);

} // namespace Vextal
