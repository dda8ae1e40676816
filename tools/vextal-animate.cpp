// vextal-animate [OPTION]... SCENE_FILE [TO_SCENE_FILE] OUT
// Draws a turntable of a scene file, or a morph from one scene file to
// another, offscreen with the viewer's own start-up, camera and drawing, and
// writes it as an animated GIF or WebP, an MP4 video or a folder of PNG frames.

#include "base/EscapedText.h"
#include "cli/CommandLine.h"
#include "cli/RunTool.h"
#include "mesh/PolygonsIndexedNormal.h"
#include "output/OutputFile.h"
#include "pictures/AnimationWriter.h"
#include "pictures/FrameFolderWriter.h"
#include "pictures/GifWriter.h"
#include "pictures/Mp4Writer.h"
#include "pictures/WebpWriter.h"
#include "scene/SceneBlend.h"
#include "scene/SceneLoader.h"
#include "tools/AnimationPlan.h"
#include "tools/PictureOptions.h"
#include "tools/ProgressBar.h"
#include "tools/SceneDrawing.h"
#include "tools/SkippedWords.h"

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace VextalTools;

constexpr int exitWritten = 0;

// A whole turn in up to 9999 frames keeps the frame files' four digits and
// the animation within a few minutes.
constexpr std::uint32_t maxFrames = 9999;
constexpr double maxFramesPerSecond = 120;
// A GIF times its frames in hundredths of a second, and players slow down
// frames shorter than two.
constexpr double maxGifFramesPerSecond = 50;

struct Arguments {
    const char* scenePath = nullptr;
    const char* toScenePath = nullptr; // a morph's second scene, or null
    const char* outPath = nullptr;
    AnimationKind kind = AnimationKind::gif;
    std::optional<AnimationKind> namedKind; // by --format
    PictureSettings picture;
    AnimationPlan plan;
    double framesPerSecond = 24;
    std::optional<int> quality;
    bool quiet = false;
};

constexpr const char* operands[] = {"SCENE_FILE", "[TO_SCENE_FILE]", "OUT"};
constexpr auto options = withPictureOptions({
    {"--frames", "N", "frames in the animation, 1 to 9999 (default 72)"},
    {"--fps", "F", "frames a second, above 0 and up to 120; up to 50 for GIF\n(default 24)"},
    {"--size", "WxH",
     "picture size in pixels, 1 to 4096 each way (default 480x360);\n"
     "even for MP4"},
    {"--bounce", nullptr, "a morph goes to the second scene and back, so it loops\nseamlessly"},
    {"--turntable", nullptr, "a morph turns as well, one whole turn"},
    {"--quality", "Q",
     "0 to 100, for WebP (lossy; lossless without it) and MP4\n"
     "(default about 72)"},
    {"--format", "FORMAT",
     "gif, webp, mp4 or png (a folder of frames) whatever OUT\n"
     "is called; needed for - unless it is GIF"},
    quietOption,
});

constexpr Vextal::ProgramDescription program{
    "vextal-animate",
    operands,
    "Draw a turntable or a morph of Vextal scene files as a GIF, WebP or MP4.",
    "With one scene file, the surface makes one whole turn about the picture's\n"
    "vertical axis, and the loop has no repeated or missing frame. With two, every\n"
    "number of the first scene moves to the second's, slowly at the start and the\n"
    "end (the slice and rotate counts rounded in each frame); the surface and\n"
    "\"close\" come from the first file, and both must select the same surface.\n"
    "Frame 1 of a turntable is vextal-snapshot's picture with the same options.\n"
    "OUT's extension chooses the file: .gif (a palette per frame, looping), .webp\n"
    "(animated, lossless unless --quality is given), .mp4 (H.264 made by the\n"
    "ffmpeg program, which must be installed), or a folder of frame-0001.png,\n"
    "frame-0002.png, ... when OUT ends in / or is a folder. - is standard output.\n"
    "Nothing half-written is left, and an existing file is left as it was when\n"
    "the animation fails or is stopped. On a terminal a progress line shows\n"
    "the frames drawn, the time taken and an estimate of the rest.\n",
    options,
    "  0   the animation was written\n"
    "  2   a scene could not be loaded, ffmpeg is missing or failed, or the\n"
    "      animation was not written\n"
    "  3   no OpenGL is available\n"
    "  64  usage error\n",
    "A turntable of the starfish, seen from the side the light comes from.\n"
    "  vextal-animate starfish.vextal starfish.gif --turn 0.4,3.61 --distance 7 --samples 4\n"
    "A morph from a sphere to an octahedron and back, as a WebP.\n"
    "  vextal-animate sphere.vextal octahedron.vextal morph.webp --bounce\n",
};

Refusal parseFrames(std::string_view text, Arguments& args) {
    const auto frames = parseNumber<std::uint32_t>(text);
    if (!frames || *frames < 1 || *frames > maxFrames)
        return "--frames takes a whole number from 1 to " + std::to_string(maxFrames) + got(text);
    args.plan.frames = *frames;
    return std::nullopt;
}

Refusal parseFramesPerSecond(std::string_view text, Arguments& args) {
    const auto rate = parseFinite(text);
    if (!rate || *rate <= 0 || *rate > maxFramesPerSecond)
        return "--fps takes a number above 0 and up to 120" + got(text);
    args.framesPerSecond = *rate;
    return std::nullopt;
}

Refusal parseQuality(std::string_view text, Arguments& args) {
    const auto quality = parseNumber<int>(text);
    if (!quality || *quality < 0 || *quality > 100)
        return "--quality takes a whole number from 0 to 100" + got(text);
    args.quality = *quality;
    return std::nullopt;
}

Refusal parseFormat(std::string_view text, Arguments& args) {
    const std::optional<AnimationKind> kind = animationKindNamed(text);
    if (!kind)
        return "--format takes gif, webp, mp4 or png" + got(text);
    args.namedKind = *kind;
    return std::nullopt;
}

Refusal applyOption(const Vextal::GivenOption& option, Arguments& args) {
    const std::string_view name = option.description->name;
    if (const PictureOptionResult picture = applyPictureOption(option, args.picture); picture.known)
        return picture.refusal;
    if (name == "--frames")
        return parseFrames(option.value, args);
    if (name == "--fps")
        return parseFramesPerSecond(option.value, args);
    if (name == "--quality")
        return parseQuality(option.value, args);
    if (name == "--format")
        return parseFormat(option.value, args);
    if (name == "--bounce")
        args.plan.bounce = true;
    else if (name == "--turntable")
        args.plan.turntable = true;
    else if (name == "--quiet")
        args.quiet = true;
    return std::nullopt;
}

// The operands: one or two scene files, then OUT.
void takeOperands(const std::vector<std::string_view>& operands, Arguments& args) {
    args.scenePath = operands[0].data();
    args.outPath = operands.back().data();
    args.plan.morph = operands.size() == 3;
    args.plan.turntable = !args.plan.morph;
    if (args.plan.morph)
        args.toScenePath = operands[1].data();
}

// --format, else OUT's name; standard output is GIF unless --format says otherwise.
Refusal chooseKind(Arguments& args) {
    const std::optional<AnimationKind> kind = args.namedKind ? args.namedKind
                                              : std::string_view(args.outPath) == "-"
                                                  ? AnimationKind::gif
                                                  : animationKindOf(args.outPath);
    if (!kind)
        return "'" + Vextal::escaped(args.outPath) +
               "' names no animation: end it in .gif, .webp or .mp4, or in / for a folder of PNG "
               "frames (or give --format)";
    args.kind = *kind;
    return std::nullopt;
}

// What the options ask of the chosen file, checked once all are read.
Refusal checkCombination(const Arguments& args) {
    const bool mp4 = args.kind == AnimationKind::mp4;
    if (args.plan.bounce && !args.plan.morph)
        return std::string("--bounce needs two scene files (a morph)");
    if (mp4 && args.picture.transparent)
        return std::string("--background none: an MP4 video has no transparency");
    if (mp4 && (args.picture.width % 2 != 0 || args.picture.height % 2 != 0))
        return "--size must be even each way for MP4, got " + std::to_string(args.picture.width) +
               "x" + std::to_string(args.picture.height);
    if (args.quality && args.kind != AnimationKind::webp && !mp4)
        return std::string("--quality applies to WebP and MP4 only");
    if (args.kind == AnimationKind::gif && args.framesPerSecond > maxGifFramesPerSecond)
        return std::string("--fps goes up to 50 for GIF, whose frames last whole hundredths of a "
                           "second");
    if (args.kind == AnimationKind::pngFolder && std::string_view(args.outPath) == "-")
        return std::string("a folder of PNG frames cannot go to standard output");
    return std::nullopt;
}

// The options in the order given: a later one overrides an earlier one;
// --format overrides what OUT's name says.
std::optional<Arguments> interpret(const Vextal::ParsedCommandLine& line) {
    Arguments args;
    args.picture.width = 480;
    args.picture.height = 360;
    takeOperands(line.operands, args);
    Refusal refusal;
    for (std::size_t k = 0; !refusal && k < line.options.size(); ++k)
        refusal = applyOption(line.options[k], args);
    if (!args.plan.morph)
        args.plan.turntable = true;
    if (!refusal)
        refusal = chooseKind(args);
    if (!refusal)
        refusal = checkCombination(args);
    if (!refusal)
        refusal = checkPictureSettings(args.picture);
    if (refusal) {
        Vextal::reportUsageError(program, *refusal);
        return std::nullopt;
    }
    return args;
}

int report(const DrawingProblem& problem) {
    if (problem.exitStatus == Vextal::exitUsage) // with the Try line, as every usage error
        return Vextal::reportUsageError(program, problem.message);
    std::fprintf(stderr, "vextal-animate: %s\n", problem.message.c_str());
    return problem.exitStatus;
}

// The values of a scene file, as a load leaves them.
std::optional<Vextal::SceneValues> readValues(const char* path,
                                              std::optional<DrawingProblem>& problem) {
    Vextal::PolygonsIndexedNormal mesh;
    const Vextal::SceneLoadResult loaded = Vextal::loadSceneFile(path, mesh);
    if (!loaded.rendered()) {
        problem = DrawingProblem{exitFailed, Vextal::escaped(path) + ": " + loaded.reason()};
        return std::nullopt;
    }
    return loaded.values;
}

// Both ends of a morph, which must draw the same surface.
struct MorphEnds {
    Vextal::SceneValues from;
    Vextal::SceneValues to;
};

std::optional<DrawingProblem> readMorph(const Arguments& args, std::optional<MorphEnds>& ends) {
    std::optional<DrawingProblem> problem;
    const auto from = readValues(args.scenePath, problem);
    const auto to = from ? readValues(args.toScenePath, problem) : std::nullopt;
    if (!from || !to)
        return problem;
    if (from->surface != to->surface)
        return DrawingProblem{
            Vextal::exitUsage,
            Vextal::escaped(args.scenePath) + " selects " + Vextal::surfaceName(from->surface) +
                " but " + Vextal::escaped(args.toScenePath) + " selects " +
                Vextal::surfaceName(to->surface) + ": a morph needs the same surface in both"};
    ends = MorphEnds{*from, *to};
    return std::nullopt;
}

std::unique_ptr<Vextal::AnimationWriter> makeWriter(const Arguments& args, std::FILE* out,
                                                    const std::string& comment) {
    const Vextal::AnimationFormat format{args.picture.width, args.picture.height,
                                         args.framesPerSecond, args.quality,
                                         args.picture.transparent};
    switch (args.kind) {
    case AnimationKind::gif:
        return std::make_unique<Vextal::GifWriter>(out, format);
    case AnimationKind::webp:
        return std::make_unique<Vextal::WebpWriter>(out, format);
    case AnimationKind::mp4:
        return std::make_unique<Vextal::Mp4Writer>(out, format);
    case AnimationKind::pngFolder:
        break;
    }
    return std::make_unique<Vextal::FrameFolderWriter>(args.outPath, format, comment);
}

// Draws every frame into the writer; the morph's mesh is tessellated anew
// for each frame.
std::optional<DrawingProblem> drawFrames(const Arguments& args, SceneDrawing& drawing,
                                         const std::optional<MorphEnds>& morph,
                                         Vextal::AnimationWriter& writer) {
    ProgressBar progress(args.plan.frames, !args.quiet);
    std::vector<std::uint8_t> pixels;
    for (std::uint32_t k = 0; k < args.plan.frames; ++k) {
        const FrameMotion motion = frameMotion(args.plan, k);
        if (morph)
            drawing.colourMesh(Vextal::loadSceneText(Vextal::sceneText(Vextal::blendValues(
                                                         morph->from, morph->to, motion.along)),
                                                     drawing.mesh(), args.picture.build)
                                   .values);
        CameraPose pose = poseOf(args.picture);
        pose.spin = motion.spin;
        if (std::optional<DrawingProblem> problem = drawing.draw(pose, pixels))
            return problem;
        const Vextal::RgbaPicture frame{args.picture.width, args.picture.height, pixels.data(),
                                        args.picture.transparent};
        if (const std::string why = writer.addFrame(frame); !why.empty())
            return DrawingProblem{exitFailed, why};
        progress.show(k + 1);
    }
    return std::nullopt;
}

// Names OUT in a problem of the writer's.
DrawingProblem aboutOutput(const std::string& name, const std::string& why) {
    return {exitFailed, Vextal::escaped(name) + ": " + why};
}

// The frames go through the one safe writer, so OUT is whole or untouched;
// a folder of frames has each frame so.
int writeAnimation(const Arguments& args, SceneDrawing& drawing,
                   const std::optional<MorphEnds>& morph, const std::string& comment) {
    const bool folder = args.kind == AnimationKind::pngFolder;
    std::optional<Vextal::OutputFile> out;
    if (!folder) {
        out.emplace(args.outPath, Vextal::OutputFile::Options{.input = args.scenePath});
        if (!out->error().empty())
            return report(aboutOutput(out->name(), out->error()));
    }
    const std::string shownName = out ? out->name() : std::string(args.outPath);
    std::unique_ptr<Vextal::AnimationWriter> writer =
        makeWriter(args, out ? out->stream() : nullptr, comment);
    if (const std::string why = writer->start(); !why.empty())
        return report(aboutOutput(shownName, why));
    if (std::optional<DrawingProblem> problem = drawFrames(args, drawing, morph, *writer))
        return report(problem->exitStatus == exitFailed ? aboutOutput(shownName, problem->message)
                                                        : *problem);
    if (const std::string why = writer->finish(); !why.empty())
        return report(aboutOutput(shownName, why));
    if (out && !out->commit())
        return report(aboutOutput(shownName, out->error()));
    return exitWritten;
}

int animate(const Arguments& args) {
    if (!args.quiet)
        for (const char* path : {args.scenePath, args.toScenePath})
            if (path)
                tellSkippedWords(stderr, "vextal-animate", path);
    std::optional<MorphEnds> morph;
    if (args.plan.morph)
        if (std::optional<DrawingProblem> problem = readMorph(args, morph))
            return report(*problem);
    SceneDrawing drawing(args.picture);
    if (const std::optional<DrawingProblem> problem = drawing.start(args.scenePath))
        return report(*problem);
    return writeAnimation(args, drawing, morph,
                          "vextal-animate: " + Vextal::describe(drawing.loadedScene()));
}

} // namespace

int main(int argc, char** argv) {
    return Vextal::runTool(program, argc, argv, interpret, animate);
}
