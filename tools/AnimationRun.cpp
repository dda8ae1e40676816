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
    return std::make_unique<Vextal::FrameFolderWriter>(job.outPath, format, comment);
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
        if (morph)
            drawing.colourMesh(Vextal::loadSceneText(Vextal::sceneText(Vextal::blendValues(
                                                         morph->from, morph->to, motion.along)),
                                                     drawing.mesh(), job.picture.build)
                                   .values);
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
    return std::nullopt;
}

std::optional<DrawingProblem> writeAnimation(const AnimationJob& job, SceneDrawing& drawing,
                                             const std::optional<MorphEnds>& morph,
                                             const std::string& comment,
                                             const FrameDone& frameDone) {
    const bool folder = job.kind == AnimationKind::pngFolder;
    std::optional<Vextal::OutputFile> out;
    if (!folder) {
        out.emplace(job.outPath, Vextal::OutputFile::Options{.input = job.input});
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
