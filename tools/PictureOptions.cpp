#include "tools/PictureOptions.h"

namespace VextalTools {

Refusal parseSize(std::string_view text, PictureSettings& settings) {
    const std::size_t x = text.find('x');
    const auto width = parseNumber<std::uint32_t>(text.substr(0, x));
    const auto height =
        x == std::string_view::npos ? std::nullopt : parseNumber<std::uint32_t>(text.substr(x + 1));
    if (!width || !height || *width < 1 || *height < 1 || *width > maxPictureSide ||
        *height > maxPictureSide)
        return "--size needs WxH with W and H from 1 to " + std::to_string(maxPictureSide) +
               got(text);
    settings.width = *width;
    settings.height = *height;
    return std::nullopt;
}

Refusal parseTurn(std::string_view text, PictureSettings& settings) {
    const std::size_t comma = text.find(',');
    const auto x = parseFinite(text.substr(0, comma));
    const auto y =
        comma == std::string_view::npos ? std::nullopt : parseFinite(text.substr(comma + 1));
    for (const std::string_view part : {text.substr(0, comma), text.substr(comma + 1)})
        if (const std::string beyond = beyondFloats(part); comma != text.npos && !beyond.empty())
            return "--turn:" + beyond;
    if (!x || !y)
        return "--turn takes two numbers X,Y (radians)" + got(text);
    settings.turnX = *x;
    settings.turnY = *y;
    return std::nullopt;
}

// The scene stands in front of the eye; the view reaches from 1 to 100 units.
Refusal parseDistance(std::string_view text, PictureSettings& settings) {
    const auto distance = parseFinite(text);
    if (const std::string beyond = beyondFloats(text); !beyond.empty())
        return "--distance:" + beyond;
    if (!distance || *distance <= 0)
        return "--distance takes a number above 0" + got(text);
    settings.distance = *distance;
    return std::nullopt;
}

// Powers of two: the counts multisampling offers.
Refusal parseSamples(std::string_view text, PictureSettings& settings) {
    const auto samples = parseNumber<int>(text);
    if (!samples ||
        (*samples != 1 && *samples != 2 && *samples != 4 && *samples != 8 && *samples != 16))
        return "--samples takes 1, 2, 4, 8 or 16" + got(text);
    settings.samples = *samples;
    return std::nullopt;
}

namespace {

std::optional<std::uint8_t> hexByte(std::string_view two) {
    std::uint8_t value = 0;
    const auto [end, error] = std::from_chars(two.data(), two.data() + 2, value, 16);
    if (error != std::errc() || end != two.data() + 2)
        return std::nullopt;
    return value;
}

} // namespace

Refusal parseBackground(std::string_view text, PictureSettings& settings) {
    if (Vextal::lowerCase(text) == "none") {
        settings.transparent = true;
        settings.background.reset();
        return std::nullopt;
    }
    std::optional<std::uint8_t> parts[3];
    if (text.size() == 7 && text[0] == '#')
        for (int k = 0; k < 3; ++k)
            parts[k] = hexByte(text.substr(std::size_t(1 + 2 * k), 2));
    if (!parts[0] || !parts[1] || !parts[2])
        return "--background takes #rrggbb (six hexadecimal digits) or none" + got(text);
    settings.background = std::array<std::uint8_t, 3>{*parts[0], *parts[1], *parts[2]};
    settings.transparent = false;
    return std::nullopt;
}

Refusal checkPictureSettings(const PictureSettings& settings) {
    if (settings.legend && settings.colour.mode == Vextal::ColourMode::plain)
        return std::string("--legend needs --colour with a mode other than plain");
    return std::nullopt;
}

PictureOptionResult applyPictureOption(const Vextal::GivenOption& option,
                                       PictureSettings& settings) {
    const std::string_view name = option.description->name;
    if (Vextal::isMeshBuildOption(option))
        return {true, Vextal::applyMeshBuildOption(option, settings.build)};
    if (Vextal::isColourOption(option))
        return {true, Vextal::applyColourOption(option, settings.colour)};
    if (name == "--wireframe")
        settings.wireframe = true;
    else if (name == "--normals")
        settings.normals = true;
    else if (name == legendOption.name)
        settings.legend = true;
    else if (name == "--size")
        return {true, parseSize(option.value, settings)};
    else if (name == "--turn")
        return {true, parseTurn(option.value, settings)};
    else if (name == "--distance")
        return {true, parseDistance(option.value, settings)};
    else if (name == "--samples")
        return {true, parseSamples(option.value, settings)};
    else if (name == "--background")
        return {true, parseBackground(option.value, settings)};
    else
        return {false, std::nullopt};
    return {true, std::nullopt};
}

} // namespace VextalTools
