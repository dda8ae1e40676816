// vextal-animate [OPTION]... SCENE_FILE [TO_SCENE_FILE] OUT
// Draws a turntable of a scene file, or a morph from one scene file to
// another, offscreen with the viewer's own start-up, camera and drawing, and
// writes it as an animated GIF or WebP, an MP4 video or a folder of PNG frames.

#include "base/EscapedText.h"
#include "cli/CommandLine.h"
#include "cli/RunTool.h"
#include "mesh/PolygonsIndexedNormal.h"
#include "scene/SceneBlend.h"
#include "scene/SceneLoader.h"
#include "tools/AnimationPlan.h"
#include "tools/AnimationRun.h"
#include "tools/PictureOptions.h"
#include "tools/ProgressBar.h"
#include "tools/SceneDrawing.h"
#include "tools/SkippedWords.h"

#include <algorithm>
#include <cmath>
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
    // A double, so that a rate such as 0.0001 times its frames exactly.
    const auto rate = parseNumber<double>(text);
    if (!rate || !std::isfinite(*rate) || *rate <= 0 || *rate > maxFramesPerSecond)
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

// Every scene file read, none of which may be written over, by any name.
std::vector<std::string> inputsOf(const Arguments& args) {
    std::vector<std::string> inputs{args.scenePath};
    if (args.toScenePath)
        inputs.emplace_back(args.toScenePath);
    return inputs;
}

// The job the options describe.
AnimationJob jobOf(const Arguments& args) {
    return {args.outPath,         args.kind,    args.picture,  args.plan,
            args.framesPerSecond, args.quality, inputsOf(args)};
}

// What the options ask of the chosen file, checked once all are read.
Refusal checkCombination(const Arguments& args) {
    if (args.plan.bounce && !args.plan.morph)
        return std::string("--bounce needs two scene files (a morph)");
    if (args.kind == AnimationKind::pngFolder && std::string_view(args.outPath) == "-")
        return std::string("a folder of PNG frames cannot go to standard output");
    return animationRefusal(jobOf(args));
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
    if (from->surface == Vextal::SurfaceKind::formula && !Vextal::sameFormulas(*from, *to))
        return DrawingProblem{Vextal::exitUsage,
                              Vextal::escaped(args.scenePath) + " and " +
                                  Vextal::escaped(args.toScenePath) +
                                  ": a morph of typed surfaces needs the same x, y, z and "
                                  "parameter names in both"};
    ends = MorphEnds{*from, *to};
    return std::nullopt;
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
    // A typed surface is built anew in every frame, with t run from 0 to 1.
    if (!morph) {
        std::optional<DrawingProblem> problem;
        if (const auto values = readValues(args.scenePath, problem);
            values && values->surface == Vextal::SurfaceKind::formula)
            morph = MorphEnds{*values, *values};
    }
    SceneDrawing drawing(args.picture);
    if (const std::optional<DrawingProblem> problem = drawing.start(args.scenePath))
        return report(*problem);
    ProgressBar progress(args.plan.frames, !args.quiet);
    const std::optional<DrawingProblem> problem = writeAnimation(
        jobOf(args), drawing, morph, "vextal-animate: " + Vextal::describe(drawing.loadedScene()),
        [&progress](std::uint32_t done) {
            progress.show(done);
            return true;
        });
    return problem ? report(*problem) : exitWritten;
}

} // namespace

int main(int argc, char** argv) {
    return Vextal::runTool(program, argc, argv, interpret, animate);
}
