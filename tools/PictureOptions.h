#pragma once

#include "cli/CommandLine.h"
#include "scene/SceneLoader.h"
#include "tools/ColourOptions.h"
#include "tools/MeshBuildOptions.h"
#include "tools/OptionValues.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>

namespace VextalTools {

// Large enough for a poster, small enough that the colour, depth and read-back
// buffers (about 16 bytes a pixel) fit in memory.
inline constexpr std::uint32_t maxPictureSide = 4096;

// How a scene is drawn into a picture: what the options of the picture tools
// set, each program starting from its own size.
struct PictureSettings {
    std::uint32_t width = 800;
    std::uint32_t height = 600;
    bool wireframe = false;
    bool normals = false;
    float turnX = 0; // radians about x, as a vertical right drag gives
    float turnY = 0; // radians about y, as a horizontal right drag gives
    float distance = 5;
    int samples = 1; // per pixel: 1, 2, 4, 8 or 16
    // Cleared to this colour instead of the viewer's black.
    std::optional<std::array<std::uint8_t, 3>> background;
    bool transparent = false; // "--background none": the picture keeps alpha
    Vextal::MeshBuild build = Vextal::defaultMeshBuild(); // --grid, --threads
    Vextal::ColourRequest colour;                         // --colour, --range
    bool legend = false; // --legend: the colour bar drawn into the picture
};

// The options every picture tool shares, but --size, whose default differs.
inline constexpr Vextal::OptionDescription wireframeOption{
    "--wireframe", nullptr, "draw lines and the coordinate axes, as the viewer after P"};
inline constexpr Vextal::OptionDescription normalsOption{
    "--normals", nullptr, "draw the vertex normals in red, as the viewer after N"};
inline constexpr Vextal::OptionDescription turnOption{
    "--turn", "X,Y",
    "turn the scene X radians about the horizontal axis, then Y\n"
    "about the vertical one, as a right drag would (default 0,0)"};
inline constexpr Vextal::OptionDescription distanceOption{
    "--distance", "D",
    "stand D units back from the origin (default 5); the view\n"
    "reaches from 1 to 100 units"};
inline constexpr Vextal::OptionDescription samplesOption{
    "--samples", "S",
    "smooth the edges with S samples a pixel: 1 (default, as the\n"
    "viewer), 2, 4, 8 or 16"};
inline constexpr Vextal::OptionDescription backgroundOption{
    "--background", "COLOR",
    "the colour behind the surface, #rrggbb (default #000000, as\n"
    "the viewer), or none: transparent"};

inline constexpr Vextal::OptionDescription legendOption{
    "--legend", nullptr,
    "draw the colour bar of --colour into the picture, with its\n"
    "range and the mode's name"};

inline constexpr Vextal::OptionDescription sharedPictureOptions[] = {
    wireframeOption,      normalsOption,       turnOption,         distanceOption,
    samplesOption,        backgroundOption,    Vextal::gridOption, Vextal::threadsOption,
    Vextal::colourOption, Vextal::rangeOption, legendOption,
};

// A picture tool's options: its own, then those every picture tool shares.
template <std::size_t N>
constexpr auto withPictureOptions(const Vextal::OptionDescription (&own)[N]) {
    std::array<Vextal::OptionDescription, N + std::size(sharedPictureOptions)> all{};
    std::copy(std::begin(own), std::end(own), all.begin());
    std::copy(std::begin(sharedPictureOptions), std::end(sharedPictureOptions), all.begin() + N);
    return all;
}

// What reading one option did: whether it is a picture option at all, and
// if so why its value is refused, if it is.
struct PictureOptionResult {
    bool known = false;
    Refusal refusal;
};

// Reads one option of those above (--grid and --threads into the settings'
// build) or --size into settings.
PictureOptionResult applyPictureOption(const Vextal::GivenOption& option,
                                       PictureSettings& settings);

// What the options say together that none says alone: --legend needs a
// colouring other than plain.
Refusal checkPictureSettings(const PictureSettings& settings);

Refusal parseSize(std::string_view text, PictureSettings& settings);
Refusal parseTurn(std::string_view text, PictureSettings& settings);
Refusal parseDistance(std::string_view text, PictureSettings& settings);
Refusal parseSamples(std::string_view text, PictureSettings& settings);
Refusal parseBackground(std::string_view text, PictureSettings& settings);

} // namespace VextalTools
