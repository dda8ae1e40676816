#pragma once

#include <string>

namespace VextalBench {

// The three surfaces benchmarked, by the names the benchmarks carry.
enum class Surface { spheric, toric, harmonic };
inline constexpr Surface surfaces[] = {Surface::spheric, Surface::toric, Surface::harmonic};
inline constexpr int grids[] = {10, 64, 255};

const char* surfaceName(Surface surface);

// A scene file selecting the surface with a grid of `grid` slices and
// rotations and the coefficients of one of the examples.
std::string sceneText(Surface surface, int grid);

// Writes the scene to a file in a private temporary folder (made once per
// run, removed at exit) the first time it is asked for, and returns its path.
std::string sceneFile(Surface surface, int grid);

// Waits until the file was last changed long enough ago for a
// SceneFileMemory with the default settling time to keep its bytes.
void waitUntilSettled(const std::string& path);

} // namespace VextalBench
