// vextal-export SCENE_FILE OUT.{obj,ply,stl} [--format obj|ply|stl]
// Loads a scene file exactly as the viewer loads conf.txt and writes the mesh in
// the format that the output's extension names, or the one --format names.

#include "export/MeshCheck.h"
#include "export/ObjWriter.h"
#include "export/OutputFile.h"
#include "export/PlyWriter.h"
#include "export/StlWriter.h"
#include "mesh/PolygonsIndexedNormal.h"
#include "scene/SceneLoader.h"

#include <cctype>
#include <cstdio>
#include <new>
#include <optional>
#include <string>
#include <string_view>

namespace {

using Vextal::PolygonsIndexedNormal;

constexpr int exitWritten = 0;
constexpr int exitFailed = 2;
constexpr int exitUsage = 64;

using MeshWriter = void (*)(std::FILE*, const PolygonsIndexedNormal&, const std::string&);
// Why the mesh cannot be written in this format; empty when it can.
using MeshCheck = std::string (*)(const PolygonsIndexedNormal&);

struct MeshFormat {
    std::string_view name; // also the file extension
    const char* title;
    MeshWriter write;
    MeshCheck check; // null: every mesh can be written
};

// OBJ keeps NaN and infinite values so that a broken surface can be inspected;
// PLY and STL files go to slicers and other tools, which cannot use them.
constexpr MeshFormat formats[] = {
    {"obj", "OBJ", Vextal::writeObj, nullptr},
    {"ply", "PLY", Vextal::writePly, Vextal::checkFinitePositionsAndNormals},
    {"stl", "STL", Vextal::writeStl, Vextal::checkFinitePositions},
};

const MeshFormat* formatNamed(std::string_view name) {
    for (const MeshFormat& format : formats)
        if (name == format.name)
            return &format;
    return nullptr;
}

// The extension after the last dot of the file name, in lower case: "OUT.STL"
// is an STL file too. A name that is only an extension (".obj") has none.
const MeshFormat* formatForPath(std::string_view path) {
    const std::string_view file = path.substr(path.find_last_of('/') + 1);
    const std::size_t dot = file.find_last_of('.');
    if (dot == std::string_view::npos || dot == 0)
        return nullptr;
    std::string extension(file.substr(dot + 1));
    for (char& c : extension)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return formatNamed(extension);
}

struct Arguments {
    const char* scenePath = nullptr;
    const char* outPath = nullptr;
    const MeshFormat* format = nullptr;
};

int usage() {
    std::fprintf(stderr,
                 "usage: vextal-export SCENE_FILE OUT.{obj,ply,stl} [--format obj|ply|stl]\n");
    return exitUsage;
}

// Options may stand anywhere; "--" ends them, for file names that begin with '-'.
std::optional<Arguments> parseArguments(int argc, char** argv) {
    Arguments args;
    const char* formatName = nullptr;
    int positional = 0;
    bool optionsEnded = false;
    for (int k = 1; k < argc; ++k) {
        const std::string_view arg = argv[k];
        if (!optionsEnded && arg == "--")
            optionsEnded = true;
        else if (!optionsEnded && arg == "--format" && k + 1 < argc)
            formatName = argv[++k];
        else if (!optionsEnded && arg.starts_with("--format="))
            formatName = argv[k] + std::string_view("--format=").size();
        else if (!optionsEnded && arg.size() > 1 && arg[0] == '-')
            return std::nullopt;
        else if (++positional == 1)
            args.scenePath = argv[k];
        else if (positional == 2)
            args.outPath = argv[k];
    }
    if (positional != 2)
        return std::nullopt;
    args.format = formatName ? formatNamed(formatName) : formatForPath(args.outPath);
    if (!args.format)
        return std::nullopt;
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
                         args.outPath, args.format->title, refusal.c_str());
            return exitFailed;
        }
    }
    Vextal::OutputFile out(args.outPath, {.input = args.scenePath});
    if (out.stream())
        args.format->write(out.stream(), mesh, comment);
    if (!out.commit()) {
        std::fprintf(stderr, "vextal-export: %s: %s\n", out.name().c_str(), out.error().c_str());
        return exitFailed;
    }
    return exitWritten;
}

int exportScene(const Arguments& args) {
    PolygonsIndexedNormal mesh;
    const Vextal::SceneLoadResult loaded = Vextal::loadSceneFile(args.scenePath, mesh);
    if (!loaded.rendered()) {
        std::fprintf(stderr, "vextal-export: %s: %s\n", args.scenePath, loaded.reason().c_str());
        return exitFailed;
    }
    return writeMesh(args, mesh, "vextal-export: " + Vextal::describe(loaded.scene));
}

} // namespace

int main(int argc, char** argv) {
    const std::optional<Arguments> args = parseArguments(argc, argv);
    if (!args)
        return usage();
    // Unwinding removes whatever was half-written.
    try {
        return exportScene(*args);
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "vextal-export: out of memory\n");
        return exitFailed;
    }
}
