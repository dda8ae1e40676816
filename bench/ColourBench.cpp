// Colouring a loaded surface, values and colours, in each mode: what the
// tools and the viewer add to a load. BM_Colour/MODE/SURFACE/GRID runs beside
// BM_Reload/SURFACE/GRID (ReloadBench.cpp); bench/colour-ratio.py runs both
// in one run and prints each colouring's cost as a share of the reload's.

#include "BenchScenes.h"

#include "colour/VertexColouring.h"
#include "mesh/PolygonsIndexedNormal.h"
#include "scene/SceneLoader.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

using namespace VextalBench;

void colour(benchmark::State& state, Vextal::ColourMode mode, Surface surface, int grid) {
    const std::string path = sceneFile(surface, grid);
    Vextal::PolygonsIndexedNormal mesh;
    const Vextal::SceneLoadResult loaded = Vextal::loadSceneFile(path.c_str(), mesh);
    if (!loaded.rendered()) {
        state.SkipWithError("the scene does not load");
        return;
    }
    for (auto _ : state) {
        Vextal::VertexColours colours = Vextal::colourVertices(loaded.values, mesh, {mode, {}});
        benchmark::DoNotOptimize(colours.colours.data());
        benchmark::ClobberMemory();
    }
    state.counters["vertices"] = mesh.vertexCount;
}

const bool registered = [] {
    for (const Vextal::ColourMode mode : Vextal::colourModes()) {
        if (mode == Vextal::ColourMode::plain)
            continue;
        for (const Surface surface : surfaces) {
            const std::string name = "BM_Colour/" + std::string(Vextal::colourModeName(mode)) +
                                     "/" + surfaceName(surface) + "/255";
            benchmark::RegisterBenchmark(name.c_str(), colour, mode, surface, 255)
                ->Unit(benchmark::kMicrosecond);
        }
    }
    return true;
}();

} // namespace
