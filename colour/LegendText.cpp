#include "colour/LegendText.h"

#include "colour/ColourMode.h"
#include "colour/RangeLabels.h"

namespace Vextal {

namespace {

std::string titleOf(const std::string& mode) {
    if (mode == "gaussian")
        return "gaussian K";
    if (mode == "mean")
        return "mean H";
    if (mode == "height")
        return "height z";
    if (mode == "parameter")
        return "parameter theta";
    return mode;
}

} // namespace

LegendText legendText(const VertexColours& colours) {
    LegendText text;
    text.title = titleOf(colours.mode);
    // Worked out in double, so that no width overflows or vanishes.
    const double ends[] = {colours.low, colours.high};
    const int digits = digitsApart(ends, 3);
    text.low = withDigits(colours.low, digits);
    text.high = withDigits(colours.high, digits);
    const bool signedValues =
        isSignedMode(colourModeNamed(colours.mode).value_or(ColourMode::plain));
    if (signedValues && colours.low < 0 && colours.high > 0)
        text.zeroAt = -double(colours.low) / (double(colours.high) - double(colours.low));
    return text;
}

} // namespace Vextal
