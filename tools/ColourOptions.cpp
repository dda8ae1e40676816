#include "tools/ColourOptions.h"

#include "base/EscapedText.h"

#include <charconv>
#include <cmath>

namespace Vextal {

namespace {

// The whole text must be the number.
std::optional<float> wholeFloat(std::string_view text) {
    float value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

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
    const auto low = wholeFloat(text.substr(0, comma));
    const auto high =
        comma == std::string_view::npos ? std::nullopt : wholeFloat(text.substr(comma + 1));
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
