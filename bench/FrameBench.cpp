// Offscreen frames at the largest grid: filled, wireframe and with normals,
// each drawn by drawViews() and finished (glFinish) so the time is the
// rasteriser's, not just the command submission's; beside them the plain
// ways of drawing the normals and the wireframe.

#include "BenchScenes.h"

#include "input/InputState.h"
#include "mesh/PolygonsIndexedNormal.h"
#include "render/DrawViews.h"
#include "render/InitRendering.h"
#include "render/OffscreenContext.h"
#include "render/RenderState.h"
#include "scene/SceneState.h"
#include "support/ReferenceNormalDrawing.h"
#include "support/ReferenceWireframeDrawing.h"

#include <GL/gl.h>
#include <benchmark/benchmark.h>

namespace {

using namespace Vextal;

enum class Mode { filled, wireframe, normals };

// One context, one drawing state and one loaded scene for all frame benchmarks.
struct Drawing {
    OffscreenContext context;
    SceneState scene;
    InputState input;
    RenderState render;
    std::int32_t keys[256] = {};
};

Drawing* prepared(benchmark::State& state) {
    static Drawing drawing;
    static bool ready = [] {
        if (!drawing.context.create(800, 600))
            return false;
        const std::string scene = VextalBench::sceneFile(VextalBench::Surface::spheric, 255);
        return initRendering(drawing.keys, RenderingStart{scene.c_str(), 800, 600}).rendered();
    }();
    if (!ready)
        state.SkipWithError("no offscreen OpenGL context or scene");
    return ready ? &drawing : nullptr;
}

void BM_Frame(benchmark::State& state, Mode mode) {
    Drawing* drawing = prepared(state);
    if (!drawing)
        return;
    RenderState& render = drawing->render;
    render.wireframe = mode == Mode::wireframe;
    render.showNormals = mode == Mode::normals;
    for (auto _ : state) {
        drawViews();
        glFinish();
    }
    render.wireframe = render.showNormals = false;
    state.counters["fps"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_FrameReference(benchmark::State& state) {
    Drawing* drawing = prepared(state);
    if (!drawing)
        return;
    for (auto _ : state) {
        drawViews();
        VextalTest::drawNormalsOnePerCorner(drawing->scene.sceneMesh);
        glFinish();
    }
    state.counters["fps"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

// The wireframe as the triangles drawn with the polygon mode set to lines.
void BM_FrameReferenceWireframe(benchmark::State& state) {
    Drawing* drawing = prepared(state);
    if (!drawing)
        return;
    for (auto _ : state) {
        VextalTest::drawWireframeViewsWithPolygonMode(drawing->scene.sceneMesh);
        glFinish();
    }
    state.counters["fps"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

BENCHMARK_CAPTURE(BM_Frame, filled, Mode::filled)
    ->Name("BM_Frame/filled/255")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_Frame, wireframe, Mode::wireframe)
    ->Name("BM_Frame/wireframe/255")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_Frame, normals, Mode::normals)
    ->Name("BM_Frame/normals/255")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_FrameReference)
    ->Name("BM_FrameReference/normals/255")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_FrameReferenceWireframe)
    ->Name("BM_FrameReference/wireframe/255")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace
