// One frame of an animation at 480 x 360 of the largest grid: drawn and read
// back as vextal-animate draws it (BM_AnimationFrame/draw), and encoded as a
// GIF or WebP frame (/gif, /webp). The encoders are fed two neighbouring
// turntable frames in turn, as in a real animation, where each frame differs
// a little from the one before.

#include "BenchScenes.h"

#include "pictures/GifWriter.h"
#include "pictures/WebpWriter.h"
#include "tools/SceneDrawing.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <numbers>

namespace {

using namespace VextalTools;

PictureSettings frameSettings() {
    PictureSettings settings;
    settings.width = 480;
    settings.height = 360;
    settings.turnX = 0.4f;
    settings.turnY = 3.61f;
    settings.distance = 7;
    return settings;
}

// The drawing, and two neighbouring frames of a 72-frame turntable.
struct AnimationDrawing {
    SceneDrawing drawing{frameSettings()};
    std::vector<std::uint8_t> frames[2];
    bool ready = false;

    AnimationDrawing() {
        const std::string scene = VextalBench::sceneFile(VextalBench::Surface::spheric, 255);
        if (drawing.start(scene.c_str()))
            return;
        for (int k = 0; k < 2; ++k) {
            CameraPose pose = poseOf(frameSettings());
            pose.spin = float(2 * std::numbers::pi * k / 72);
            if (drawing.draw(pose, frames[k]))
                return;
        }
        ready = true;
    }
};

AnimationDrawing* prepared(benchmark::State& state) {
    static AnimationDrawing animation;
    if (!animation.ready)
        state.SkipWithError("no offscreen OpenGL context or scene");
    return animation.ready ? &animation : nullptr;
}

void BM_AnimationFrameDraw(benchmark::State& state) {
    AnimationDrawing* animation = prepared(state);
    if (!animation)
        return;
    std::vector<std::uint8_t> pixels;
    CameraPose pose = poseOf(frameSettings());
    for (auto _ : state) {
        pose.spin += float(2 * std::numbers::pi / 72);
        animation->drawing.draw(pose, pixels);
        benchmark::DoNotOptimize(pixels.data());
    }
}

template <class Writer> void BM_AnimationFrameEncode(benchmark::State& state) {
    AnimationDrawing* animation = prepared(state);
    if (!animation)
        return;
    std::FILE* sink = std::fopen("/dev/null", "wb");
    const Vextal::AnimationFormat format{480, 360, 24, std::nullopt, false};
    auto writer = std::make_unique<Writer>(sink, format);
    if (!writer->start().empty())
        state.SkipWithError("the encoder did not start");
    std::uint64_t k = 0;
    for (auto _ : state) {
        const Vextal::RgbaPicture frame{480, 360, animation->frames[k++ % 2].data()};
        if (!writer->addFrame(frame).empty())
            state.SkipWithError("a frame was not encoded");
    }
    writer.reset(); // after the timing; a WebP encoder's frames are let go, not assembled
    std::fclose(sink);
}

} // namespace

BENCHMARK(BM_AnimationFrameDraw)->Name("BM_AnimationFrame/draw")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AnimationFrameEncode<Vextal::GifWriter>)
    ->Name("BM_AnimationFrame/gif")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AnimationFrameEncode<Vextal::WebpWriter>)
    ->Name("BM_AnimationFrame/webp")
    ->Unit(benchmark::kMillisecond);
