// Typed surfaces beside the built-in ones, measured side by side in one run:
// the starfish typed with superformula against the built-in starfish at
// 2048 x 2048, positions and normals, on one thread and on every core
// (BM_StarfishBuiltIn/<threads>, BM_StarfishTyped/<threads>); a Klein bottle
// of some 30 operations, positions alone, one thread (BM_KleinTyped, the
// figure bench/klein-vs-numpy.py sets beside NumPy); and the load that
// holding R repeats, a typed surface at 255 x 255 (BM_TypedReload).

#include "mesh/PolygonsIndexedNormal.h"
#include "mesh/Workers.h"
#include "primitives/PrimitiveFormula.h"
#include "scene/SceneLoader.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

using Vextal::PolygonsIndexedNormal;

constexpr Vextal::GridSize fine{2048, 2048};

const std::string builtInStarfish =
    "\"sss\nslice 64 rotate 240\ncoef1 2 7 7 5 1 1\ncoef2 2 2 2 4 0.8 0.24\nrender\n";
const std::string typedStarfish =
    "\"xyz\nurange -1.5707964 1.5707964\nvrange -3.1415927 3.1415927\n"
    "x cos(v) * (cos(u) * (superformula(v, 2, 7, 7, 5, 1, 1) * "
    "superformula(u, 2, 2, 2, 4, 0.8, 0.24)))\n"
    "y sin(v) * (cos(u) * (superformula(v, 2, 7, 7, 5, 1, 1) * "
    "superformula(u, 2, 2, 2, 4, 0.8, 0.24)))\n"
    "z sin(u) * superformula(u, 2, 2, 2, 4, 0.8, 0.24)\nrender\n";
// The same expressions bench/klein-vs-numpy.py evaluates.
const std::string klein = "\"xyz\nslice 255 rotate 255\nparam r 2 1 4\n"
                          "urange 0 6.2831855\nvrange 0 6.2831855\n"
                          "x (r + cos(u/2)*sin(v) - sin(u/2)*sin(2*v)) * cos(u)\n"
                          "y (r + cos(u/2)*sin(v) - sin(u/2)*sin(2*v)) * sin(u)\n"
                          "z sin(u/2)*sin(v) + cos(u/2)*sin(2*v)\nrender\n";

void buildFine(benchmark::State& state, const std::string& text) {
    const Vextal::MeshBuild build{fine, Vextal::Workers{unsigned(state.range(0))}};
    PolygonsIndexedNormal mesh;
    for (auto _ : state) {
        const Vextal::SceneLoadResult loaded = Vextal::loadSceneText(text, mesh, build);
        if (!loaded.rendered())
            state.SkipWithError(loaded.reason().c_str());
        benchmark::DoNotOptimize(mesh.normals);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * mesh.vertexCount);
}

void BM_StarfishBuiltIn(benchmark::State& state) {
    buildFine(state, builtInStarfish);
}
void BM_StarfishTyped(benchmark::State& state) {
    buildFine(state, typedStarfish);
}
BENCHMARK(BM_StarfishBuiltIn)
    ->Arg(1)
    ->Arg(int(Vextal::allCores()))
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_StarfishTyped)
    ->Arg(1)
    ->Arg(int(Vextal::allCores()))
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Positions alone: the tessellation of the typed surface, without normals.
void BM_KleinTyped(benchmark::State& state) {
    PolygonsIndexedNormal mesh;
    PolygonsIndexedNormal small;
    const Vextal::SceneLoadResult loaded = Vextal::loadSceneText(klein, small);
    if (!loaded.rendered()) {
        state.SkipWithError(loaded.reason().c_str());
        return;
    }
    // The load's primitive again, from the values it left.
    Vextal::PrimitiveFormula formula;
    formula.definition = loaded.values.formula;
    formula.thetaMin = loaded.values.thetaMin;
    formula.thetaMax = loaded.values.thetaMax;
    formula.phiMin = loaded.values.phiMin;
    formula.phiMax = loaded.values.phiMax;
    formula.program = Vextal::compileDefinition(formula.definition).program;
    for (auto _ : state) {
        formula.tessellateGrid(mesh, {2047, 2047}, Vextal::Workers{});
        benchmark::DoNotOptimize(mesh.vertices);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * mesh.vertexCount);
}
BENCHMARK(BM_KleinTyped)->Unit(benchmark::kMillisecond)->UseRealTime();

// What a frame with R held does: the whole load of the scene text, parse,
// compile, tessellation and normals, at the file's 255 x 255.
void BM_TypedReload(benchmark::State& state) {
    PolygonsIndexedNormal mesh;
    for (auto _ : state) {
        const Vextal::SceneLoadResult loaded = Vextal::loadSceneText(klein, mesh);
        benchmark::DoNotOptimize(loaded.status);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_TypedReload)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
