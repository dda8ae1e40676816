// What a print-ready export adds to a fine grid: the weld of the 2048 x 2048
// starfish and the edge count of the welded mesh, with one thread and with
// two (BM_Weld/<threads>, BM_EdgesWelded/<threads>). bench/threemf-vs-stl.py
// measures the whole export.

#include "BenchScenes.h"

#include "mesh/EdgeCounts.h"
#include "mesh/PolygonsIndexedNormal.h"
#include "meshfiles/MeshWeld.h"
#include "scene/SceneCommands.h"
#include "support/ReferenceSceneLoad.h"

#include <benchmark/benchmark.h>

#include <sstream>
#include <string>

namespace {

using namespace VextalBench;

// The starfish at 2048 x 2048, as plain arrays.
Vextal::TriangleList fineStarfish() {
    Vextal::ScenePrimitives scene;
    std::istringstream text(sceneText(Surface::spheric, 64));
    VextalReference::StreamSource source(text);
    std::string failedKeyword;
    Vextal::readCommands(source, scene, failedKeyword);
    Vextal::PolygonsIndexedNormal mesh;
    scene.selected->tessellateGrid(mesh, {2048, 2048}, Vextal::Workers{2});
    return {{mesh.vertices, mesh.vertices + mesh.vertexCount},
            {mesh.triangles, mesh.triangles + mesh.triangleCount}};
}

void BM_Weld(benchmark::State& state) {
    const Vextal::TriangleList fine = fineStarfish();
    const Vextal::Workers workers{unsigned(state.range(0))};
    for (auto _ : state) {
        state.PauseTiming();
        Vextal::TriangleList mesh = fine;
        state.ResumeTiming();
        Vextal::weld(mesh, workers);
        benchmark::DoNotOptimize(mesh.triangles.data());
    }
}
BENCHMARK(BM_Weld)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_EdgesWelded(benchmark::State& state) {
    Vextal::TriangleList mesh = fineStarfish();
    Vextal::weld(mesh, Vextal::Workers{2});
    const Vextal::Workers workers{unsigned(state.range(0))};
    for (auto _ : state)
        benchmark::DoNotOptimize(Vextal::countEdges(mesh.triangles.data(),
                                                    std::uint32_t(mesh.triangles.size()), workers));
}
BENCHMARK(BM_EdgesWelded)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
