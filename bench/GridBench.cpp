// The tools' fine grids: tessellation and normals of a 2048 x 2048 grid with
// one thread and with two, measured side by side (BM_GridBuild/<threads>),
// and the two halves alone.

#include "BenchScenes.h"

#include "mesh/PolygonsIndexedNormal.h"
#include "scene/SceneCommands.h"
#include "support/ReferenceSceneLoad.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <sstream>
#include <string>

namespace {

using namespace VextalBench;
using Vextal::PolygonsIndexedNormal;

constexpr Vextal::GridSize fine{2048, 2048};

// The starfish, as the scene file configures it; the grid comes from --grid.
std::unique_ptr<Vextal::ScenePrimitives> starfish() {
    auto scene = std::make_unique<Vextal::ScenePrimitives>();
    std::istringstream text(sceneText(Surface::spheric, 64));
    VextalReference::StreamSource source(text);
    std::string failedKeyword;
    Vextal::readCommands(source, *scene, failedKeyword);
    return scene;
}

void BM_GridBuild(benchmark::State& state) {
    const auto scene = starfish();
    const Vextal::Workers workers{unsigned(state.range(0))};
    PolygonsIndexedNormal mesh;
    for (auto _ : state) {
        scene->selected->tessellateGrid(mesh, fine, workers);
        mesh.computeNormals(workers);
        benchmark::DoNotOptimize(mesh.normals);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * mesh.vertexCount);
}
BENCHMARK(BM_GridBuild)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_GridNormals(benchmark::State& state) {
    const auto scene = starfish();
    const Vextal::Workers workers{unsigned(state.range(0))};
    PolygonsIndexedNormal mesh;
    scene->selected->tessellateGrid(mesh, fine, workers);
    for (auto _ : state) {
        mesh.computeNormals(workers);
        benchmark::DoNotOptimize(mesh.normals);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_GridNormals)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
