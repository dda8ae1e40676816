// vextal-snapshot SCENE_FILE OUT.png [--size WxH] [--wireframe] [--normals]
//                 [--turn X,Y] [--distance D]
// Draws a scene file offscreen with the viewer's own start-up, camera and
// drawing, and writes the picture as a PNG. With no options it is the viewer's
// first frame: 800 x 600, filled, the camera 5 units back.

#include "app/KeyState.h"
#include "camera/CameraList.h"
#include "export/OutputFile.h"
#include "export/PngWriter.h"
#include "render/DrawScene.h"
#include "render/DrawViews.h"
#include "render/InitRendering.h"
#include "render/OffscreenContext.h"

#include <GL/gl.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr int exitWritten = 0;
constexpr int exitFailed = 2;
constexpr int exitNoOpenGL = 3;
constexpr int exitUsage = 64;

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
};

int usage() {
    std::fprintf(stderr, "usage: vextal-snapshot SCENE_FILE OUT.png [--size WxH] [--wireframe]"
                         " [--normals] [--turn X,Y] [--distance D]\n");
    return exitUsage;
}

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

bool parseSize(std::string_view text, Arguments& args) {
    const std::size_t x = text.find('x');
    if (x == std::string_view::npos)
        return false;
    const auto width = parseNumber<std::uint32_t>(text.substr(0, x));
    const auto height = parseNumber<std::uint32_t>(text.substr(x + 1));
    if (!width || !height || *width < 1 || *height < 1 || *width > maxSide || *height > maxSide)
        return false;
    args.width = *width;
    args.height = *height;
    return true;
}

bool parseTurn(std::string_view text, Arguments& args) {
    const std::size_t comma = text.find(',');
    if (comma == std::string_view::npos)
        return false;
    const auto x = parseFinite(text.substr(0, comma));
    const auto y = parseFinite(text.substr(comma + 1));
    if (!x || !y)
        return false;
    args.turnX = *x;
    args.turnY = *y;
    return true;
}

// The scene stands in front of the eye; the view reaches from 1 to 100 units.
bool parseDistance(std::string_view text, Arguments& args) {
    const auto distance = parseFinite(text);
    if (!distance || *distance <= 0)
        return false;
    args.distance = *distance;
    return true;
}

struct ValuedOption {
    std::string_view name;
    bool (*parse)(std::string_view value, Arguments& args);
};

constexpr ValuedOption valuedOptions[] = {
    {"--size", parseSize},
    {"--turn", parseTurn},
    {"--distance", parseDistance},
};

// Handles argv[k] when it is a valued option, as "--name VALUE" or
// "--name=VALUE", advancing k past a separate value. Empty when argv[k] is
// none of them; false when its value is missing or bad.
std::optional<bool> parseValuedOption(int argc, char** argv, int& k, Arguments& args) {
    const std::string_view arg = argv[k];
    for (const ValuedOption& option : valuedOptions) {
        if (arg == option.name) {
            if (k + 1 >= argc)
                return false;
            return option.parse(argv[++k], args);
        }
        if (arg.starts_with(option.name) && arg.size() > option.name.size() &&
            arg[option.name.size()] == '=')
            return option.parse(arg.substr(option.name.size() + 1), args);
    }
    return std::nullopt;
}

// Options may stand anywhere; "--" ends them, for file names that begin with '-'.
std::optional<Arguments> parseArguments(int argc, char** argv) {
    Arguments args;
    int positional = 0;
    bool optionsEnded = false;
    for (int k = 1; k < argc; ++k) {
        const std::string_view arg = argv[k];
        const bool isOption = !optionsEnded && arg.size() > 1 && arg[0] == '-';
        if (isOption && arg == "--") {
            optionsEnded = true;
        } else if (isOption && arg == "--wireframe") {
            args.wireframe = true;
        } else if (isOption && arg == "--normals") {
            args.normals = true;
        } else if (isOption) {
            const std::optional<bool> parsed = parseValuedOption(argc, argv, k, args);
            if (!parsed || !*parsed)
                return std::nullopt;
        } else if (++positional == 1) {
            args.scenePath = argv[k];
        } else if (positional == 2) {
            args.outPath = argv[k];
        }
    }
    if (positional != 2)
        return std::nullopt;
    return args;
}

// The camera as a right drag and the Page keys would leave it before the
// first frame: the turn is folded into its orientation when the view is drawn.
void placeCamera(const Arguments& args) {
    Vextal::Camera& camera = *Vextal::cameras[0];
    camera.pendingRotation.x = args.turnX;
    camera.pendingRotation.y = args.turnY;
    camera.translation.z = -args.distance;
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
        std::fprintf(stderr, "vextal-snapshot: %s: %s\n", out.name().c_str(), problem.c_str());
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
    std::int32_t keys[Vextal::keyTableSize] = {}; // no key is held
    const Vextal::SceneLoadResult loaded =
        Vextal::initRendering(keys, {args.scenePath, args.width, args.height});
    if (!loaded.rendered()) {
        std::fprintf(stderr, "vextal-snapshot: %s: %s\n", args.scenePath, loaded.reason().c_str());
        return exitFailed;
    }
    Vextal::wireframe = args.wireframe;
    Vextal::showNormals = args.normals;
    placeCamera(args);
    Vextal::drawViews();
    if (const GLenum error = glGetError(); error == GL_OUT_OF_MEMORY) {
        std::fprintf(stderr, "vextal-snapshot: OpenGL ran out of memory while drawing\n");
        return exitFailed;
    } else if (error != GL_NO_ERROR) {
        std::fprintf(stderr, "vextal-snapshot: OpenGL failed while drawing (error 0x%04x)\n",
                     unsigned(error));
        return exitNoOpenGL;
    }
    return writePicture(args, offscreen, "vextal-snapshot: " + Vextal::describe(loaded.scene));
}

} // namespace

int main(int argc, char** argv) {
    const std::optional<Arguments> args = parseArguments(argc, argv);
    if (!args)
        return usage();
    int status = exitFailed;
    // Unwinding removes whatever was half-written.
    try {
        status = snapshot(*args);
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "vextal-snapshot: out of memory\n");
    }
    Vextal::keyTable = nullptr; // the table lived in snapshot's frame
    Vextal::freeCameras();
    return status;
}
