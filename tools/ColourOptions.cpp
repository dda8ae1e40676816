#include "tools/ColourOptions.h"

#include "base/EscapedText.h"
#include "tools/OptionValues.h"

#include <cmath>

namespace Vextal {

namespace {

std::optional<std::string> readMode(std::string_view text, ColourRequest& request) {
    const std::optional<ColourMode> mode = colourModeNamed(lowerCase(text));
    if (!mode)
        return "--colour needs plain, gaussian, mean, height, radius or parameter, got '" +
               escaped(text) + "'";
    request.mode = *mode;
    return std::nullopt;
}

std::optional<std::string> readRange(std::string_view text, ColourRequest& request) {
    const std::size_t comma = text.find(',');
    const auto low = VextalTools::parseNumber<float>(text.substr(0, comma));
    const auto high = comma == std::string_view::npos
                          ? std::nullopt
                          : VextalTools::parseNumber<float>(text.substr(comma + 1));
    if (!low || !high || !std::isfinite(*low) || !std::isfinite(*high) || !(*low < *high))
        return "--range needs LO,HI, two finite numbers with LO below HI, got '" + escaped(text) +
               "'";
    request.range = ColourRange{*low, *high};
    return std::nullopt;
}

} // namespace

bool isColourOption(const GivenOption& option) {
    return option.description->name == colourOption.name ||
           option.description->name == rangeOption.name;
}

std::optional<std::string> applyColourOption(const GivenOption& option, ColourRequest& request) {
    if (option.description->name == colourOption.name)
        return readMode(option.value, request);
    if (option.description->name == rangeOption.name)
        return readRange(option.value, request);
    return std::nullopt;
}

} // namespace Vextal
