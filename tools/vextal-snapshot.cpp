// vextal-snapshot [--size WxH] [--wireframe] [--normals] [--turn X,Y]
//                 [--distance D] [--samples S] [--background COLOR]
//                 [--grid SxR] [--threads N] [--fill] [--colour MODE]
//                 [--range LO,HI] [--legend] SCENE_FILE OUT.png
// Draws a scene file offscreen with the viewer's own start-up, camera and
// drawing, and writes the picture as a PNG. With no options it is the viewer's
// first frame: 800 x 600, filled, the camera 5 units back.

#include "base/EscapedText.h"
#include "cli/CommandLine.h"
#include "cli/RunTool.h"
#include "output/OutputFile.h"
#include "pictures/PngWriter.h"
#include "tools/PictureOptions.h"
#include "tools/SceneDrawing.h"
#include "tools/SkippedWords.h"

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace VextalTools;

constexpr int exitWritten = 0;

struct Arguments {
    const char* scenePath = nullptr;
    const char* outPath = nullptr;
    PictureSettings picture; // 800 x 600 unless --size says otherwise
    bool fill = false;       // frame the surface by its bounds instead of the distance
    bool quiet = false;
};

constexpr const char* operands[] = {"SCENE_FILE", "OUT.png"};
constexpr auto options = withPictureOptions({
    {"--size", "WxH", "picture size in pixels, 1 to 4096 each way (default 800x600)"},
    {"--fill", nullptr,
     "frame the surface by its bounds: centre it and stand just far\n"
     "enough back that it fills the picture (--distance is then unused)"},
    quietOption,
});

constexpr Vextal::ProgramDescription program{
    "vextal-snapshot",
    operands,
    "Draw a Vextal scene file offscreen as the viewer draws it, and write a PNG.",
    "The viewer's own start-up, camera and drawing run in an offscreen OpenGL\n"
    "context (no window, no display), so with no options the picture is the\n"
    "viewer's first frame of that scene: 800 x 600, filled, the camera 5 units\n"
    "back. The picture is PNG whatever OUT is called, so a name that ends in\n"
    "another picture format's extension is refused; with --background none it\n"
    "keeps the coverage as alpha. Nothing half-written is left, and an existing\n"
    "file is left as it was when the snapshot fails.\n",
    options,
    "  0   the picture was written\n"
    "  2   the scene could not be loaded (a file that ends before \"render\"\n"
    "      included), or the picture or the standard output not written\n"
    "  3   no OpenGL is available\n"
    "  64  usage error\n",
    "The starfish in wireframe, turned to the side the light comes from.\n"
    "  vextal-snapshot starfish.vextal starfish.png --wireframe --turn 0.4,3.61 --distance 7\n",
};

// Extensions of the picture formats that people may expect from the name.
constexpr std::string_view otherPictureFormats[][2] = {
    {"jpg", "JPEG"}, {"jpeg", "JPEG"}, {"gif", "GIF"},   {"bmp", "BMP"},
    {"tif", "TIFF"}, {"tiff", "TIFF"}, {"webp", "WebP"}, {"ppm", "PPM"},
};

// A PNG under a name that says JPEG would mislead every program that opens it.
Refusal checkOutputName(std::string_view path) {
    const std::string_view file = path.substr(path.find_last_of('/') + 1);
    const std::size_t dot = file.find_last_of('.');
    if (dot == std::string_view::npos || dot == 0)
        return std::nullopt;
    const std::string extension = Vextal::lowerCase(file.substr(dot + 1));
    for (const auto& [name, title] : otherPictureFormats)
        if (extension == name)
            return "'" + Vextal::escaped(path) + "' names a " + std::string(title) +
                   " file, and vextal-snapshot writes PNG only (name it .png)";
    return std::nullopt;
}

// The options in the order given: a later one overrides an earlier one.
std::optional<Arguments> interpret(const Vextal::ParsedCommandLine& line) {
    Arguments args;
    args.scenePath = line.operands[0].data();
    args.outPath = line.operands[1].data();
    Refusal refusal = checkOutputName(args.outPath);
    for (std::size_t k = 0; !refusal && k < line.options.size(); ++k)
        if (line.options[k].description->name == "--fill")
            args.fill = true;
        else if (line.options[k].description->name == "--quiet")
            args.quiet = true;
        else
            refusal = applyPictureOption(line.options[k], args.picture).refusal;
    if (!refusal)
        refusal = checkPictureSettings(args.picture);
    if (refusal) {
        Vextal::reportUsageError(program, *refusal);
        return std::nullopt;
    }
    return args;
}

int writePicture(const Arguments& args, const std::vector<std::uint8_t>& pixels,
                 const std::string& comment) {
    const Vextal::RgbaPicture picture{args.picture.width, args.picture.height, pixels.data(),
                                      args.picture.transparent};
    Vextal::OutputFile out(args.outPath, {.input = args.scenePath});
    std::string problem = out.error();
    if (problem.empty())
        problem = Vextal::writePng(out.stream(), picture, comment);
    if (problem.empty() && !out.commit())
        problem = out.error();
    if (!problem.empty()) {
        std::fprintf(stderr, "vextal-snapshot: %s: %s\n", Vextal::escaped(out.name()).c_str(),
                     problem.c_str());
        return exitFailed; // an uncommitted file is removed with out
    }
    return exitWritten;
}

int report(const DrawingProblem& problem) {
    std::fprintf(stderr, "vextal-snapshot: %s\n", problem.message.c_str());
    return problem.exitStatus;
}

int snapshot(const Arguments& args) {
    if (!args.quiet)
        tellSkippedWords(stderr, "vextal-snapshot", args.scenePath);
    SceneDrawing drawing(args.picture);
    if (const std::optional<DrawingProblem> problem = drawing.start(args.scenePath))
        return report(*problem);
    std::vector<std::uint8_t> pixels;
    CameraPose pose = poseOf(args.picture);
    pose.fill = args.fill;
    if (const std::optional<DrawingProblem> problem = drawing.draw(pose, pixels))
        return report(*problem);
    return writePicture(args, pixels,
                        "vextal-snapshot: " + Vextal::describe(drawing.loadedScene()));
}

} // namespace

int main(int argc, char** argv) {
    return Vextal::runTool(program, argc, argv, interpret, snapshot);
}
