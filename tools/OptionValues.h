#pragma once

#include "base/EscapedText.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

namespace VextalTools {

// Why an option's value is refused ("--size needs WxH ..."), or nothing.
using Refusal = std::optional<std::string>;

// The one reader of every number an option takes. The whole text must be
// the number, in decimal: an optional minus, digits, a fraction, an
// exponent. A space, a plus sign, a hexadecimal prefix or anything after the
// number makes the text no number, for every option alike.
template <typename Number> std::optional<Number> parseNumber(std::string_view text) {
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

// A float that is finite (from_chars also accepts "nan" and "inf").
inline std::optional<float> parseFinite(std::string_view text) {
    const std::optional<float> value = parseNumber<float>(text);
    if (!value || !std::isfinite(*value))
        return std::nullopt;
    return value;
}

// For a number that no float holds, what is wrong with it: " is beyond the
// float range" or " is too small for a float"; empty for any other text.
inline std::string beyondFloats(std::string_view text) {
    const std::optional<double> value = parseNumber<double>(text);
    if (!value || !std::isfinite(*value) || parseFinite(text))
        return {};
    if (std::fabs(*value) > double(std::numeric_limits<float>::max()))
        return " '" + std::string(text) + "' is beyond the float range (3.40282347e+38)";
    return " '" + std::string(text) + "' is too small for a float (1.17549435e-38)";
}

// The end of a refusal: what was given, escaped.
inline std::string got(std::string_view text) {
    return ", got '" + Vextal::escaped(text) + "'";
}

} // namespace VextalTools
