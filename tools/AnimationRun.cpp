#include "tools/AnimationRun.h"

#include "base/EscapedText.h"
#include "output/OutputFile.h"
#include "pictures/AnimationWriter.h"
#include "pictures/FrameFolderWriter.h"
#include "pictures/GifWriter.h"
#include "pictures/Mp4Writer.h"
#include "pictures/WebpWriter.h"
#include "scene/SceneBlend.h"
#include "scene/SceneLoader.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace VextalTools {

namespace {

// A GIF times its frames in hundredths of a second, and players slow down
// frames shorter than two.
constexpr double maxGifFramesPerSecond = 50;

std::unique_ptr<Vextal::AnimationWriter> makeWriter(const AnimationJob& job, std::FILE* out,
                                                    const std::string& comment) {
    const Vextal::AnimationFormat format{job.picture.width, job.picture.height, job.framesPerSecond,
                                         job.quality, job.picture.transparent};
    switch (job.kind) {
    case AnimationKind::gif:
        return std::make_unique<Vextal::GifWriter>(out, format);
    case AnimationKind::webp:
        return std::make_unique<Vextal::WebpWriter>(out, format);
    case AnimationKind::mp4:
        return std::make_unique<Vextal::Mp4Writer>(out, format);
    case AnimationKind::pngFolder:
        break;
    }
    return std::make_unique<Vextal::FrameFolderWriter>(job.outPath, format, comment, job.inputs);
}

// Draws every frame into the writer; the morph's mesh is tessellated anew
// for each frame.
std::optional<DrawingProblem> drawFrames(const AnimationJob& job, SceneDrawing& drawing,
                                         const std::optional<MorphEnds>& morph,
                                         Vextal::AnimationWriter& writer,
                                         const FrameDone& frameDone) {
    std::vector<std::uint8_t> pixels;
    for (std::uint32_t k = 0; k < job.plan.frames; ++k) {
        const FrameMotion motion = frameMotion(job.plan, k);
        if (morph) {
            // t runs from 0 in the first frame to 1 in the last.
            Vextal::MeshBuild build = job.picture.build;
            build.time = job.plan.frames > 1 ? double(k) / (job.plan.frames - 1) : 0.0;
            drawing.colourMesh(Vextal::loadSceneText(Vextal::sceneText(Vextal::blendValues(
                                                         morph->from, morph->to, motion.along)),
                                                     drawing.mesh(), build)
                                   .values);
        }
        CameraPose pose = poseOf(job.picture);
        pose.spin = motion.spin;
        if (std::optional<DrawingProblem> problem = drawing.draw(pose, pixels))
            return problem;
        const Vextal::RgbaPicture frame{job.picture.width, job.picture.height, pixels.data(),
                                        job.picture.transparent};
        if (const std::string why = writer.addFrame(frame); !why.empty())
            return DrawingProblem{exitFailed, why};
        if (!frameDone(k + 1))
            return DrawingProblem{exitFailed, "stopped"};
    }
    return std::nullopt;
}

// Names OUT in a problem of the writer's.
DrawingProblem aboutOutput(const std::string& name, const std::string& why) {
    return {exitFailed, Vextal::escaped(name) + ": " + why};
}

// The slowest rate whose frames the chosen format can time as asked: a GIF
// holds a frame's time in hundredths of a second in 16 bits; a WebP in
// milliseconds in 24 bits, with every frame's start in a 31-bit count; ffmpeg
// writes an MP4 frame in ticks of 1/16384 second counted in 31 bits. A frame
// folder has no times.
Refusal checkFrameTime(const AnimationJob& job) {
    constexpr double longestGifFrame = 65535 / 100.0;
    constexpr double longestWebpFrame = 16777215 / 1000.0;
    constexpr double longestWebp = 2147483647 / 1000.0;
    constexpr double longestMp4Frame = 100000;
    const double rate = job.framesPerSecond;
    char text[160] = {};
    if (job.kind == AnimationKind::gif && rate < 1 / longestGifFrame)
        std::snprintf(text, sizeof text,
                      "--fps must be at least %.9g for GIF, whose frames last at most %.9g seconds",
                      1 / longestGifFrame, longestGifFrame);
    else if (job.kind == AnimationKind::webp &&
             (rate < 1 / longestWebpFrame || rate < job.plan.frames / longestWebp))
        std::snprintf(text, sizeof text,
                      "--fps must be at least %.9g for %u WebP frames, which last at most %.9g "
                      "seconds each and %.9g in all",
                      std::max(1 / longestWebpFrame, job.plan.frames / longestWebp),
                      unsigned(job.plan.frames), longestWebpFrame, longestWebp);
    else if (job.kind == AnimationKind::mp4 && rate < 1 / longestMp4Frame)
        std::snprintf(text, sizeof text,
                      "--fps must be at least %g for MP4, whose frames last at most %g seconds",
                      1 / longestMp4Frame, longestMp4Frame);
    return text[0] ? Refusal(text) : std::nullopt;
}

} // namespace

Refusal animationRefusal(const AnimationJob& job) {
    const bool mp4 = job.kind == AnimationKind::mp4;
    if (mp4 && job.picture.transparent)
        return std::string("--background none: an MP4 video has no transparency");
    if (mp4 && (job.picture.width % 2 != 0 || job.picture.height % 2 != 0))
        return "--size must be even each way for MP4, got " + std::to_string(job.picture.width) +
               "x" + std::to_string(job.picture.height);
    if (job.quality && job.kind != AnimationKind::webp && !mp4)
        return std::string("--quality applies to WebP and MP4 only");
    if (job.kind == AnimationKind::gif && job.framesPerSecond > maxGifFramesPerSecond)
        return std::string("--fps goes up to 50 for GIF, whose frames last whole hundredths of a "
                           "second");
    return checkFrameTime(job);
}

std::optional<DrawingProblem> writeAnimation(const AnimationJob& job, SceneDrawing& drawing,
                                             const std::optional<MorphEnds>& morph,
                                             const std::string& comment,
                                             const FrameDone& frameDone) {
    const bool folder = job.kind == AnimationKind::pngFolder;
    std::optional<Vextal::OutputFile> out;
    if (!folder) {
        out.emplace(job.outPath,
                    Vextal::OutputFile::Options{.input = {}, .otherInputs = job.inputs});
        if (!out->error().empty())
            return aboutOutput(out->name(), out->error());
    }
    const std::string shownName = out ? out->name() : job.outPath;
    std::unique_ptr<Vextal::AnimationWriter> writer =
        makeWriter(job, out ? out->stream() : nullptr, comment);
    if (const std::string why = writer->start(); !why.empty())
        return aboutOutput(shownName, why);
    if (std::optional<DrawingProblem> problem = drawFrames(job, drawing, morph, *writer, frameDone))
        return problem->exitStatus == exitFailed ? aboutOutput(shownName, problem->message)
                                                 : *problem;
    if (const std::string why = writer->finish(); !why.empty())
        return aboutOutput(shownName, why);
    if (out && !out->commit())
        return aboutOutput(shownName, out->error());
    return std::nullopt;
}

} // namespace VextalTools
