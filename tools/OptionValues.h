#pragma once

#include <charconv>
#include <cmath>
#include <optional>
#include <string>
#include <string_view>

namespace VextalTools {

// Why an option's value is refused ("--size needs WxH ..."), or nothing.
using Refusal = std::optional<std::string>;

// The whole text must be the number: no spaces, no trailing characters.
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

// The end of a refusal: what was given.
inline std::string got(std::string_view text) {
    return ", got '" + std::string(text) + "'";
}

} // namespace VextalTools
