// vextal-export [--format obj|ply|stl] [--weld] [--scale S] SCENE_FILE OUT.{obj,ply,stl}
// Loads a scene file exactly as the viewer loads conf.txt and writes the mesh in
// the format that the output's extension names, or the one --format names.

#include "base/EscapedText.h"
#include "cli/CommandLine.h"
#include "export/MeshFormats.h"
#include "export/MeshScale.h"
#include "export/OutputFile.h"
#include "export/WeldForPrinting.h"
#include "mesh/PolygonsIndexedNormal.h"
#include "scene/SceneLoader.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <optional>
#include <string>
#include <string_view>

namespace {

using Vextal::PolygonsIndexedNormal;

constexpr int exitWritten = 0;
constexpr int exitFailed = 2;

using Vextal::MeshFormat;

const MeshFormat* formatNamed(std::string_view name) {
    return Vextal::meshFormatNamed(name);
}

// The extension after the last dot of the file name, in lower case: "OUT.STL"
// is an STL file too. A name that is only an extension (".obj") has none.
const MeshFormat* formatForPath(std::string_view path) {
    const std::string_view file = path.substr(path.find_last_of('/') + 1);
    const std::size_t dot = file.find_last_of('.');
    if (dot == std::string_view::npos || dot == 0)
        return nullptr;
    return formatNamed(Vextal::lowerCase(file.substr(dot + 1)));
}

struct Arguments {
    const char* scenePath = nullptr;
    const char* outPath = nullptr;
    const MeshFormat* format = nullptr;
    bool weld = false;
    double scale = 1;
};

constexpr const char* operands[] = {"SCENE_FILE", "OUT.{obj,ply,stl}"};
constexpr Vextal::OptionDescription options[] = {
    {"--format", "FORMAT",
     "write FORMAT (obj, ply or stl, in any case) whatever\n"
     "OUT's extension says"},
    {"--weld", nullptr,
     "merge vertices that coincide, drop the triangles that\n"
     "collapse, and join the ends of a torus whose theta makes\n"
     "a full turn: the mesh is watertight for printing"},
    {"--scale", "S",
     "multiply the coordinates by S, a positive number (25.4\n"
     "for slicers that read millimetres); refused when a\n"
     "coordinate would overflow or fall below the normal floats"},
};

constexpr Vextal::ProgramDescription program{
    "vextal-export",
    operands,
    "Write the surface of a Vextal scene file as a mesh: OBJ, PLY or STL.",
    "SCENE_FILE is loaded exactly as the viewer loads conf.txt. The extension of\n"
    "OUT chooses the format, in any case (.obj, .ply, .stl); --format overrides it.\n"
    "OBJ keeps NaN and infinite coordinates for inspection; PLY and STL refuse a\n"
    "mesh that has any. Nothing half-written is left, and an existing file is left\n"
    "as it was when the export fails.\n",
    options,
    "  0   the mesh was written\n"
    "  2   the scene could not be loaded, or the mesh, the file or the standard\n"
    "      output not written\n"
    "  64  usage error\n",
    "The starfish as an STL file, for a slicer.\n"
    "  vextal-export starfish.vextal starfish.stl\n",
};

// A positive finite number, the whole text.
std::optional<double> scaleFactor(std::string_view text) {
    const std::string whole(text);
    char* end = nullptr;
    const double value = std::strtod(whole.c_str(), &end);
    if (whole.empty() || *end != '\0' || !std::isfinite(value) || value <= 0)
        return std::nullopt;
    return value;
}

// The format that --format names, or else the output's extension.
std::optional<Arguments> interpret(const Vextal::ParsedCommandLine& line) {
    Arguments args;
    args.scenePath = line.operands[0].data();
    args.outPath = line.operands[1].data();
    std::optional<std::string_view> formatName;
    for (const Vextal::GivenOption& option : line.options) {
        if (option.description->name == "--format") {
            formatName = option.value;
        } else if (option.description->name == "--weld") {
            args.weld = true;
        } else if (option.description->name == "--scale") {
            const std::optional<double> scale = scaleFactor(option.value);
            if (!scale) {
                Vextal::reportUsageError(program, "--scale needs a positive number S, got '" +
                                                      Vextal::escaped(option.value) + "'");
                return std::nullopt;
            }
            args.scale = *scale;
        }
    }
    if (formatName) {
        args.format = formatNamed(Vextal::lowerCase(*formatName));
        if (!args.format) {
            Vextal::reportUsageError(program, "--format takes obj, ply or stl, got '" +
                                                  Vextal::escaped(*formatName) + "'");
            return std::nullopt;
        }
        return args;
    }
    if (std::string_view(args.outPath) == "-") {
        Vextal::reportUsageError(program, "standard output ('-') has no extension: give --format");
        return std::nullopt;
    }
    args.format = formatForPath(args.outPath);
    if (!args.format) {
        Vextal::reportUsageError(program, "cannot tell the format of '" +
                                              Vextal::escaped(args.outPath) +
                                              "': end it in .obj, .ply or .stl, or give --format");
        return std::nullopt;
    }
    return args;
}

int writeMesh(const Arguments& args, const PolygonsIndexedNormal& mesh,
              const std::string& comment) {
    if (args.format->check) {
        const std::string refusal = args.format->check(mesh);
        if (!refusal.empty()) {
            std::fprintf(stderr,
                         "vextal-export: %s: not written as %s: %s"
                         " (an OBJ export keeps them for inspection)\n",
                         Vextal::escaped(args.outPath).c_str(), args.format->title,
                         refusal.c_str());
            return exitFailed;
        }
    }
    Vextal::OutputFile out(args.outPath, {.input = args.scenePath});
    if (out.stream())
        args.format->write(out.stream(), mesh, comment);
    if (!out.commit()) {
        std::fprintf(stderr, "vextal-export: %s: %s\n", Vextal::escaped(out.name()).c_str(),
                     out.error().c_str());
        return exitFailed;
    }
    return exitWritten;
}

int exportScene(const Arguments& args) {
    PolygonsIndexedNormal mesh;
    const Vextal::SceneLoadResult loaded = Vextal::loadSceneFile(args.scenePath, mesh);
    if (!loaded.rendered()) {
        std::fprintf(stderr, "vextal-export: %s: %s\n", Vextal::escaped(args.scenePath).c_str(),
                     loaded.reason().c_str());
        return exitFailed;
    }
    const std::uint32_t openEdges = args.weld ? 0 : Vextal::openEdgesWeldCloses(mesh, loaded.scene);
    if (args.weld)
        Vextal::weldForPrinting(mesh, loaded.scene);
    if (args.scale != 1) {
        if (const std::string refusal = Vextal::scaleRefusal(mesh, args.scale); !refusal.empty()) {
            std::fprintf(stderr, "vextal-export: %s: not written: %s\n",
                         Vextal::escaped(args.outPath).c_str(), refusal.c_str());
            return exitFailed;
        }
        Vextal::scaleMesh(mesh, args.scale);
    }
    const int status = writeMesh(args, mesh, "vextal-export: " + Vextal::describe(loaded.scene));
    if (status == exitWritten && openEdges > 0)
        std::fprintf(stderr, "vextal-export: %s: %u open edges; --weld closes them\n",
                     Vextal::escaped(args.outPath).c_str(), unsigned(openEdges));
    return status;
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
        return Vextal::finishOutput(program, exportScene(*args));
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "vextal-export: out of memory\n");
        return exitFailed;
    }
}
