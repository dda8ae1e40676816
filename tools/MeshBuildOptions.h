#pragma once

#include "cli/CommandLine.h"
#include "scene/SceneLoader.h"

#include <optional>
#include <string>

namespace Vextal {

// The options every tool that tessellates shares: another grid than the
// file's, and the threads to build the mesh with.
inline constexpr OptionDescription gridOption{
    "--grid", "SxR",
    "tessellate with S slices and R rotations, each 3 to 4096,\n"
    "instead of the file's counts (the file itself keeps to 255)"};
inline constexpr OptionDescription threadsOption{
    "--threads", "N",
    "build the mesh with N threads (default: every core); the\n"
    "result is the same for every N"};

// The default build of the tools: the file's grid, every core.
MeshBuild defaultMeshBuild();

// True for --grid and --threads.
bool isMeshBuildOption(const GivenOption& option);

// Applies --grid or --threads to `build`; says why a value is refused.
std::optional<std::string> applyMeshBuildOption(const GivenOption& option, MeshBuild& build);

} // namespace Vextal
