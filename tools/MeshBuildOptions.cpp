#include "tools/MeshBuildOptions.h"

#include "base/EscapedText.h"
#include "tools/OptionValues.h"

#include <cstdint>

namespace Vextal {

namespace {

// Far more than any machine this runs on; a typo of 100000 threads is not a plan.
constexpr std::uint32_t maxThreads = 1024;

bool inGridRange(std::optional<std::uint32_t> count) {
    return count && *count >= 3 && *count <= maxGridCount;
}

std::optional<std::string> readGrid(std::string_view text, MeshBuild& build) {
    const std::size_t x = text.find('x');
    const auto slices = VextalTools::parseNumber<std::uint32_t>(text.substr(0, x));
    const auto rotations = x == std::string_view::npos
                               ? std::nullopt
                               : VextalTools::parseNumber<std::uint32_t>(text.substr(x + 1));
    if (!inGridRange(slices) || !inGridRange(rotations))
        return "--grid needs SLICESxROTATIONS, each from 3 to " + std::to_string(maxGridCount) +
               ", got '" + escaped(text) + "'";
    build.grid = GridSize{*slices, *rotations};
    return std::nullopt;
}

std::optional<std::string> readThreads(std::string_view text, MeshBuild& build) {
    const auto threads = VextalTools::parseNumber<std::uint32_t>(text);
    if (!threads || *threads < 1 || *threads > maxThreads)
        return "--threads needs a number from 1 to " + std::to_string(maxThreads) + ", got '" +
               escaped(text) + "'";
    build.workers.threads = *threads;
    return std::nullopt;
}

} // namespace

MeshBuild defaultMeshBuild() {
    MeshBuild build;
    build.workers.threads = allCores();
    return build;
}

bool isMeshBuildOption(const GivenOption& option) {
    return option.description->name == gridOption.name ||
           option.description->name == threadsOption.name;
}

std::optional<std::string> applyMeshBuildOption(const GivenOption& option, MeshBuild& build) {
    if (option.description->name == gridOption.name)
        return readGrid(option.value, build);
    if (option.description->name == threadsOption.name)
        return readThreads(option.value, build);
    return std::nullopt;
}

} // namespace Vextal
