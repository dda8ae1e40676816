// vextal-snapshot [--size WxH] [--wireframe] [--normals] [--turn X,Y]
//                 [--distance D] [--grid SxR] [--threads N] [--fill]
//                 SCENE_FILE OUT.png
// Draws a scene file offscreen with the viewer's own start-up, camera and
// drawing, and writes the picture as a PNG. With no options it is the viewer's
// first frame: 800 x 600, filled, the camera 5 units back.

#include "base/EscapedText.h"
#include "camera/CameraList.h"
#include "camera/FillView.h"
#include "cli/CommandLine.h"
#include "export/OutputFile.h"
#include "export/PngWriter.h"
#include "input/InputState.h"
#include "input/KeyState.h"
#include "render/DrawViews.h"
#include "render/InitRendering.h"
#include "render/OffscreenContext.h"
#include "render/RenderState.h"
#include "scene/SceneState.h"
#include "tools/MeshBuildOptions.h"

#include <cassert>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr int exitWritten = 0;
constexpr int exitFailed = 2;
constexpr int exitNoOpenGL = 3;

// Large enough for a poster, small enough that the colour, depth and read-back
// buffers (about 16 bytes a pixel) fit in memory.
constexpr std::uint32_t maxSide = 4096;

struct Arguments {
    const char* scenePath = nullptr;
    const char* outPath = nullptr;
    std::uint32_t width = 800;
    std::uint32_t height = 600;
    bool wireframe = false;
    bool normals = false;
    float turnX = 0; // radians about x, as a vertical right drag gives
    float turnY = 0; // radians about y, as a horizontal right drag gives
    float distance = 5;
    Vextal::MeshBuild build = Vextal::defaultMeshBuild();
    bool fill = false; // frame the surface by its bounds instead of the distance
};

constexpr const char* operands[] = {"SCENE_FILE", "OUT.png"};
constexpr Vextal::OptionDescription options[] = {
    {"--size", "WxH", "picture size in pixels, 1 to 4096 each way (default 800x600)"},
    {"--wireframe", nullptr, "draw lines and the coordinate axes, as the viewer after P"},
    {"--normals", nullptr, "draw the vertex normals in red, as the viewer after N"},
    {"--turn", "X,Y",
     "turn the scene X radians about the horizontal axis, then Y\n"
     "about the vertical one, as a right drag would (default 0,0)"},
    {"--distance", "D",
     "stand D units back from the origin (default 5); the view\n"
     "reaches from 1 to 100 units"},
    Vextal::gridOption,
    Vextal::threadsOption,
    {"--fill", nullptr,
     "frame the surface by its bounds: centre it and stand just far\n"
     "enough back that it fills the picture (--distance is then unused)"},
};

constexpr Vextal::ProgramDescription program{
    "vextal-snapshot",
    operands,
    "Draw a Vextal scene file offscreen as the viewer draws it, and write a PNG.",
    "The viewer's own start-up, camera and drawing run in an offscreen OpenGL\n"
    "context (no window, no display), so with no options the picture is the\n"
    "viewer's first frame of that scene: 800 x 600, filled, the camera 5 units\n"
    "back. The picture is PNG whatever OUT is called, so a name that ends in\n"
    "another picture format's extension is refused. Nothing half-written is\n"
    "left, and an existing file is left as it was when the snapshot fails.\n",
    options,
    "  0   the picture was written\n"
    "  2   the scene could not be loaded (a file that ends before \"render\"\n"
    "      included), or the picture or the standard output not written\n"
    "  3   no OpenGL is available\n"
    "  64  usage error\n",
    "The starfish in wireframe, turned to the side the light comes from.\n"
    "  vextal-snapshot starfish.vextal starfish.png --wireframe --turn 0.4,3.61 --distance 7\n",
};

// The whole text must be the number: no spaces, no trailing characters.
template <typename Number> std::optional<Number> parseNumber(std::string_view text) {
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

// A float that is finite (from_chars also accepts "nan" and "inf").
std::optional<float> parseFinite(std::string_view text) {
    const std::optional<float> value = parseNumber<float>(text);
    if (!value || !std::isfinite(*value))
        return std::nullopt;
    return value;
}

// For a number that no float holds, what is wrong with it: " is beyond the
// float range" or " is too small for a float"; empty for any other text.
std::string beyondFloats(std::string_view text) {
    const std::optional<double> value = parseNumber<double>(text);
    if (!value || !std::isfinite(*value) || parseFinite(text))
        return {};
    if (std::fabs(*value) > double(std::numeric_limits<float>::max()))
        return " '" + std::string(text) + "' is beyond the float range (3.40282347e+38)";
    return " '" + std::string(text) + "' is too small for a float (1.17549435e-38)";
}

std::string got(std::string_view text) {
    return ", got '" + Vextal::escaped(text) + "'";
}

// Each option's reading returns why its value is refused, or nothing.
using Refusal = std::optional<std::string>;

Refusal parseSize(std::string_view text, Arguments& args) {
    const std::size_t x = text.find('x');
    const auto width = parseNumber<std::uint32_t>(text.substr(0, x));
    const auto height =
        x == std::string_view::npos ? std::nullopt : parseNumber<std::uint32_t>(text.substr(x + 1));
    if (!width || !height || *width < 1 || *height < 1 || *width > maxSide || *height > maxSide)
        return "--size needs WxH with W and H from 1 to " + std::to_string(maxSide) + got(text);
    args.width = *width;
    args.height = *height;
    return std::nullopt;
}

Refusal parseTurn(std::string_view text, Arguments& args) {
    const std::size_t comma = text.find(',');
    const auto x = parseFinite(text.substr(0, comma));
    const auto y =
        comma == std::string_view::npos ? std::nullopt : parseFinite(text.substr(comma + 1));
    for (const std::string_view part : {text.substr(0, comma), text.substr(comma + 1)})
        if (const std::string beyond = beyondFloats(part); comma != text.npos && !beyond.empty())
            return "--turn:" + beyond;
    if (!x || !y)
        return "--turn takes two numbers X,Y (radians)" + got(text);
    args.turnX = *x;
    args.turnY = *y;
    return std::nullopt;
}

// The scene stands in front of the eye; the view reaches from 1 to 100 units.
Refusal parseDistance(std::string_view text, Arguments& args) {
    const auto distance = parseFinite(text);
    if (const std::string beyond = beyondFloats(text); !beyond.empty())
        return "--distance:" + beyond;
    if (!distance || *distance <= 0)
        return "--distance takes a number above 0" + got(text);
    args.distance = *distance;
    return std::nullopt;
}

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

Refusal applyOption(const Vextal::GivenOption& option, Arguments& args) {
    const std::string_view name = option.description->name;
    if (Vextal::isMeshBuildOption(option))
        return Vextal::applyMeshBuildOption(option, args.build);
    if (name == "--wireframe")
        args.wireframe = true;
    else if (name == "--normals")
        args.normals = true;
    else if (name == "--fill")
        args.fill = true;
    else if (name == "--size")
        return parseSize(option.value, args);
    else if (name == "--turn")
        return parseTurn(option.value, args);
    else if (name == "--distance")
        return parseDistance(option.value, args);
    return std::nullopt;
}

// The options in the order given: a later one overrides an earlier one.
std::optional<Arguments> interpret(const Vextal::ParsedCommandLine& line) {
    Arguments args;
    args.scenePath = line.operands[0].data();
    args.outPath = line.operands[1].data();
    Refusal refusal = checkOutputName(args.outPath);
    for (std::size_t k = 0; !refusal && k < line.options.size(); ++k)
        refusal = applyOption(line.options[k], args);
    if (refusal) {
        Vextal::reportUsageError(program, *refusal);
        return std::nullopt;
    }
    return args;
}

// With --fill, the camera moves so that the turned surface fills the picture.
void fillPicture(const Arguments& args, const Vextal::PolygonsBase& mesh, Vextal::Camera& camera) {
    const Vextal::Quaternion turned = Vextal::eulerToQuaternion(args.turnX, args.turnY, 0);
    const Vextal::ViewVolume view{.aspect = double(args.width) / double(args.height)};
    if (const auto translation =
            Vextal::fillingTranslation({mesh.vertices, mesh.vertexCount}, turned, view))
        camera.translation = *translation;
}

// The camera as a right drag and the Page keys would leave it before the
// first frame: the turn is folded into its orientation when the view is drawn.
void placeCamera(const Arguments& args, const Vextal::PolygonsBase& mesh) {
    Vextal::Camera* listed = Vextal::listedCamera(0);
    assert(listed != nullptr && "the start-up lists the first camera");
    Vextal::Camera& camera = *listed;
    camera.pendingRotation.x = args.turnX;
    camera.pendingRotation.y = args.turnY;
    camera.translation.z = -args.distance;
    if (args.fill)
        fillPicture(args, mesh, camera);
}

int writePicture(const Arguments& args, const Vextal::OffscreenContext& offscreen,
                 const std::string& comment) {
    const std::vector<std::uint8_t> pixels = offscreen.readPixels();
    const Vextal::RgbaPicture picture{args.width, args.height, pixels.data()};
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

// Exit 3 only when OpenGL itself is missing: if a picture of one pixel can be
// had, the size was too much for the memory, not OpenGL absent.
int reportNoContext(const Arguments& args, Vextal::OffscreenContext& offscreen) {
    const std::string why = offscreen.error();
    if (offscreen.create(1, 1)) {
        std::fprintf(stderr, "vextal-snapshot: %ux%u pixels: %s\n", unsigned(args.width),
                     unsigned(args.height), why.c_str());
        return exitFailed;
    }
    std::fprintf(stderr, "vextal-snapshot: no OpenGL available: %s\n", why.c_str());
    return exitNoOpenGL;
}

int snapshot(const Arguments& args) {
    Vextal::OffscreenContext offscreen;
    if (!offscreen.create(int(args.width), int(args.height)))
        return reportNoContext(args, offscreen);
    // What the viewer's state holds for a drawing: the mesh, the camera, the
    // switches; no key is held.
    Vextal::SceneState scene;
    Vextal::InputState input;
    Vextal::RenderState render;
    std::int32_t keys[Vextal::keyTableSize] = {};
    const Vextal::SceneLoadResult loaded =
        Vextal::initRendering(keys, {args.scenePath, args.width, args.height, args.build});
    if (!loaded.rendered()) {
        std::fprintf(stderr, "vextal-snapshot: %s: %s\n", Vextal::escaped(args.scenePath).c_str(),
                     loaded.reason().c_str());
        return exitFailed;
    }
    render.wireframe = args.wireframe;
    render.showNormals = args.normals;
    placeCamera(args, scene.sceneMesh);
    Vextal::drawViews();
    if (const unsigned error = offscreen.takeError(); error == offscreen.outOfMemoryError) {
        std::fprintf(stderr, "vextal-snapshot: OpenGL ran out of memory while drawing\n");
        return exitFailed;
    } else if (error != 0) {
        std::fprintf(stderr, "vextal-snapshot: OpenGL failed while drawing (error 0x%04x)\n",
                     unsigned(error));
        return exitNoOpenGL;
    }
    return writePicture(args, offscreen, "vextal-snapshot: " + Vextal::describe(loaded.scene));
}

} // namespace

int main(int argc, char** argv) {
    const Vextal::ParsedCommandLine line = Vextal::parseCommandLine(program, argc, argv);
    if (line.exitNow)
        return Vextal::finishOutput(program, *line.exitNow);
    const std::optional<Arguments> args = interpret(line);
    if (!args)
        return Vextal::exitUsage;
    // Unwinding removes whatever was half-written.
    try {
        return Vextal::finishOutput(program, snapshot(*args));
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "vextal-snapshot: out of memory\n");
        return exitFailed;
    }
}
