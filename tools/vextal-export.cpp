// vextal-export [--format F] [--weld] [--scale S | --fit SIZE] [--unit U]
//               [--colour MODE [--range LO,HI] [--colours N]]
//               [--grid SxR] [--threads N] SCENE_FILE OUT.{obj,ply,stl,3mf,glb,gltf}
// Loads a scene file exactly as the viewer loads conf.txt and writes the mesh in
// the format that the output's extension names, or the one --format names.

#include "base/EscapedText.h"
#include "cli/CommandLine.h"
#include "colour/VertexColouring.h"
#include "mesh/EdgeCounts.h"
#include "mesh/PolygonsIndexedNormal.h"
#include "meshfiles/ColourBands.h"
#include "meshfiles/GltfWriter.h"
#include "meshfiles/MeshCheck.h"
#include "meshfiles/MeshFit.h"
#include "meshfiles/MeshScale.h"
#include "meshfiles/ModelUnit.h"
#include "meshfiles/ObjWriter.h"
#include "meshfiles/PlyWriter.h"
#include "meshfiles/StlWriter.h"
#include "meshfiles/ThreeMfWriter.h"
#include "meshfiles/WeldForPrinting.h"
#include "output/OutputFile.h"
#include "scene/SceneLoader.h"
#include "tools/ColourOptions.h"
#include "tools/MeshBuildOptions.h"
#include "tools/ProgressLine.h"
#include "tools/SkippedWords.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

using Vextal::ModelUnit;
using Vextal::PolygonsIndexedNormal;

constexpr int exitWritten = 0;
constexpr int exitFailed = 2;

// What a writer is given besides the mesh and the stream.
struct WriteRequest {
    const std::string& comment;
    ModelUnit unit;
    const Vextal::Workers& workers;
    const Vextal::VertexColours* colours; // null: the plain mesh
    int bands;                            // 0, or the colours cut into bands of materials
};
// Returns why the file could not be made; failures of the stream itself stay
// on the stream, where the commit finds them. A writer may release the mesh
// once it holds what it writes (the 3MF writer does, to save memory).
using MeshWriter = std::string (*)(std::FILE*, PolygonsIndexedNormal&, const WriteRequest&);
// Why the mesh cannot be written in this format; empty when it can.
using MeshCheck = std::string (*)(const PolygonsIndexedNormal&);

enum class Units {
    none,   // the file carries no unit: --unit means nothing to it
    named,  // the unit is written into the file
    metres, // the file is in metres: coordinates are converted from the unit
};

struct MeshFormat {
    std::string_view name; // also the file extension
    const char* title;
    MeshWriter write;
    MeshCheck check;   // null: every mesh can be written
    bool alwaysWelded; // a solid for printing, whatever --weld says
    Units units;
    bool colours;   // carries a colour per vertex
    bool materials; // carries named materials (--colours)
};

// A writer that takes the colours, if any.
template <void (*write)(std::FILE*, const PolygonsIndexedNormal&, const std::string&,
                        const Vextal::VertexColours*)>
std::string colourWriter(std::FILE* out, PolygonsIndexedNormal& mesh, const WriteRequest& r) {
    write(out, mesh, r.comment, r.colours);
    return {};
}

std::string plyWriter(std::FILE* out, PolygonsIndexedNormal& mesh, const WriteRequest& r) {
    Vextal::writePly(out, mesh, r.comment, r.workers, r.colours);
    return {};
}

std::string stlWriter(std::FILE* out, PolygonsIndexedNormal& mesh, const WriteRequest& r) {
    Vextal::writeStl(out, mesh, r.comment, r.workers);
    return {};
}

// Per-vertex colours as a colour group, or with --colours a base material
// (a filament) per triangle.
std::string threeMfWriter(std::FILE* out, PolygonsIndexedNormal& mesh,
                          const WriteRequest& request) {
    Vextal::ThreeMfContent content{.unit = request.unit, .name = request.comment};
    Vextal::TriangleMaterials materials;
    if (request.colours && request.bands > 0) {
        materials = Vextal::bandTriangles(mesh, *request.colours, request.bands);
        content.materials = &materials;
    } else if (request.colours) {
        content.vertexColours = &request.colours->colours;
    }
    return Vextal::writeThreeMf(out, mesh, content, request.workers);
}

// OBJ keeps NaN and infinite values so that a broken surface can be inspected;
// the other formats go to slicers and other tools, which cannot use them.
constexpr MeshFormat formats[] = {
    {"obj", "OBJ", colourWriter<Vextal::writeObj>, nullptr, false, Units::none, true, false},
    {"ply", "PLY", plyWriter, Vextal::checkFinitePositionsAndNormals, false, Units::none, true,
     false},
    {"stl", "STL", stlWriter, Vextal::checkFinitePositions, false, Units::none, false, false},
    {"3mf", "3MF", threeMfWriter, Vextal::checkFinitePositions, true, Units::named, true, true},
    {"glb", "glTF", colourWriter<Vextal::writeGlb>, Vextal::checkFinitePositionsAndNormals, false,
     Units::metres, true, false},
    {"gltf", "glTF", colourWriter<Vextal::writeGltf>, Vextal::checkFinitePositionsAndNormals, false,
     Units::metres, true, false},
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
    return formatNamed(Vextal::lowerCase(file.substr(dot + 1)));
}

struct Arguments {
    const char* scenePath = nullptr;
    const char* outPath = nullptr;
    const MeshFormat* format = nullptr;
    bool weld = false;
    std::optional<double> scale;
    std::optional<double> fit;
    std::optional<ModelUnit> unit;
    Vextal::ColourRequest colour;
    bool colourGiven = false, rangeGiven = false;
    int bands = 0; // --colours: 0 for per-vertex colours
    Vextal::MeshBuild build = Vextal::defaultMeshBuild();
    bool quiet = false;
};

constexpr const char* operands[] = {"SCENE_FILE", "OUT.{obj,ply,stl,3mf,glb,gltf}"};
constexpr Vextal::OptionDescription options[] = {
    {"--format", "FORMAT",
     "write FORMAT (obj, ply, stl, 3mf, glb or gltf, in any case)\n"
     "whatever OUT's extension says"},
    {"--weld", nullptr,
     "merge vertices that coincide, drop the triangles that\n"
     "collapse, and join the ends of a torus whose theta makes\n"
     "a full turn: the mesh is watertight for printing (3mf is\n"
     "always welded)"},
    {"--scale", "S",
     "multiply the coordinates by S, a positive number (25.4\n"
     "for slicers that read millimetres); refused when a\n"
     "coordinate would overflow or fall below the normal floats"},
    {"--fit", "SIZE",
     "scale so that the largest side of the bounding box is SIZE\n"
     "in the output's unit (--fit 80: 80 mm across); not with --scale"},
    {"--unit", "U",
     "what a coordinate of 1 is: micron, millimeter (default),\n"
     "centimeter, inch, foot or meter; written into a 3mf model,\n"
     "converted to metres for glb and gltf"},
    Vextal::colourOption,
    Vextal::rangeOption,
    {"--colours", "N",
     "cut the colour map's range into N bands, 2 to 16, each a\n"
     "material named by its range, each triangle the material of\n"
     "its mean value: one filament a band (3mf only)"},
    Vextal::gridOption,
    Vextal::threadsOption,
    VextalTools::quietOption,
};

constexpr Vextal::ProgramDescription program{
    "vextal-export",
    operands,
    "Write the surface of a Vextal scene file as a mesh: OBJ, PLY, STL, 3MF or glTF.",
    "SCENE_FILE is loaded exactly as the viewer loads conf.txt. The extension of\n"
    "OUT chooses the format, in any case (.obj, .ply, .stl, .3mf, .glb, .gltf);\n"
    "--format overrides it. OBJ keeps NaN and infinite coordinates for inspection;\n"
    "the other formats refuse a mesh that has any. 3MF is always welded and\n"
    "carries its unit; glTF (binary .glb, or .gltf with its buffer embedded) is\n"
    "in metres. Nothing half-written is left, and an existing file is left as it\n"
    "was when the export fails.\n",
    options,
    "  0   the mesh was written\n"
    "  2   the scene could not be loaded, or the mesh, the file or the standard\n"
    "      output not written\n"
    "  64  usage error\n",
    "The starfish as a 3MF file 80 mm across, on a fine grid, for a slicer.\n"
    "  vextal-export starfish.vextal starfish.3mf --fit 80 --grid 1024x1024\n"
    "The torus coloured by its Gaussian curvature, in four materials for a\n"
    "printer of four filaments.\n"
    "  vextal-export ring-torus.vextal torus.3mf --colour gaussian --colours 4\n",
};

// A positive finite number, the whole text.
std::optional<double> positiveNumber(std::string_view text) {
    const std::string whole(text);
    char* end = nullptr;
    const double value = std::strtod(whole.c_str(), &end);
    if (whole.empty() || *end != '\0' || !std::isfinite(value) || value <= 0)
        return std::nullopt;
    return value;
}

using Refusal = std::optional<std::string>;

Refusal applyOption(const Vextal::GivenOption& option, Arguments& args,
                    std::optional<std::string_view>& formatName) {
    const std::string_view name = option.description->name;
    const std::string got = ", got '" + Vextal::escaped(option.value) + "'";
    if (Vextal::isMeshBuildOption(option))
        return Vextal::applyMeshBuildOption(option, args.build);
    if (Vextal::isColourOption(option)) {
        (name == Vextal::colourOption.name ? args.colourGiven : args.rangeGiven) = true;
        return Vextal::applyColourOption(option, args.colour);
    }
    if (name == "--format") {
        formatName = option.value;
    } else if (name == "--weld") {
        args.weld = true;
    } else if (name == "--quiet") {
        args.quiet = true;
    } else if (name == "--scale") {
        args.scale = positiveNumber(option.value);
        if (!args.scale)
            return "--scale needs a positive number S" + got;
    } else if (name == "--fit") {
        args.fit = positiveNumber(option.value);
        if (!args.fit)
            return "--fit needs a positive number SIZE" + got;
    } else if (name == "--colours") {
        const std::optional<double> count = positiveNumber(option.value);
        if (!count || *count != std::floor(*count) || *count < Vextal::fewestBands ||
            *count > Vextal::mostBands)
            return "--colours needs a whole number of bands from 2 to 16" + got;
        args.bands = int(*count);
    } else if (name == "--unit") {
        args.unit = Vextal::unitNamed(option.value);
        if (!args.unit)
            return "--unit takes " + std::string(Vextal::unitNames()) + got;
    }
    return std::nullopt;
}

// The format that --format names, or else the output's extension.
Refusal chooseFormat(Arguments& args, std::optional<std::string_view> formatName) {
    if (formatName) {
        args.format = formatNamed(Vextal::lowerCase(*formatName));
        if (!args.format)
            return "--format takes obj, ply, stl, 3mf, glb or gltf, got '" +
                   Vextal::escaped(*formatName) + "'";
        return std::nullopt;
    }
    if (std::string_view(args.outPath) == "-")
        return "standard output ('-') has no extension: give --format";
    args.format = formatForPath(args.outPath);
    if (!args.format)
        return "cannot tell the format of '" + Vextal::escaped(args.outPath) +
               "': end it in .obj, .ply, .stl, .3mf, .glb or .gltf, or give --format";
    return std::nullopt;
}

// Options that make no sense together, or with the chosen format.
Refusal checkCombination(const Arguments& args) {
    if (args.fit && args.scale)
        return std::string("--fit and --scale both set the size: give one of them");
    if (args.unit && args.format->units == Units::none)
        return "--unit needs a format that knows units (3mf, glb, gltf); " +
               std::string(args.format->title) + " carries none";
    const std::string title = args.format->title;
    if (args.colourGiven && !args.format->colours)
        return "--colour needs a format that carries colour (obj, ply, 3mf, glb, gltf); " + title +
               " carries none";
    const bool coloured = args.colour.mode != Vextal::ColourMode::plain;
    if (args.bands > 0 && !args.format->materials)
        return "--colours needs the 3mf format, whose materials a printer takes; " + title +
               " has none";
    if (args.bands > 0 && !coloured)
        return std::string("--colours needs --colour with a mode other than plain to cut into "
                           "bands");
    if (args.rangeGiven && !coloured)
        return std::string("--range needs --colour with a mode other than plain");
    return std::nullopt;
}

std::optional<Arguments> interpret(const Vextal::ParsedCommandLine& line) {
    Arguments args;
    args.scenePath = line.operands[0].data();
    args.outPath = line.operands[1].data();
    std::optional<std::string_view> formatName;
    Refusal refusal;
    for (std::size_t k = 0; !refusal && k < line.options.size(); ++k)
        refusal = applyOption(line.options[k], args, formatName);
    if (!refusal)
        refusal = chooseFormat(args, formatName);
    if (!refusal)
        refusal = checkCombination(args);
    if (refusal) {
        Vextal::reportUsageError(program, *refusal);
        return std::nullopt;
    }
    return args;
}

int failed(const std::string& where, const std::string& why) {
    std::fprintf(stderr, "vextal-export: %s: %s\n", Vextal::escaped(where).c_str(), why.c_str());
    return exitFailed;
}

// Says why the mesh cannot be written in the format; empty when it can.
std::string refusal(const MeshFormat& format, const PolygonsIndexedNormal& mesh) {
    const std::string why = format.check ? format.check(mesh) : "";
    if (why.empty())
        return why;
    return std::string("not written as ") + format.title + ": " + why +
           " (an OBJ export keeps them for inspection)";
}

int writeMesh(const Arguments& args, PolygonsIndexedNormal& mesh, const std::string& comment,
              const Vextal::VertexColours* colours) {
    const MeshFormat& format = *args.format;
    // Checked again: scaling may have overflowed the float range.
    if (const std::string why = refusal(format, mesh); !why.empty())
        return failed(args.outPath, why);
    Vextal::OutputFile out(args.outPath, {.input = args.scenePath});
    std::string problem;
    if (out.stream())
        problem = format.write(out.stream(), mesh,
                               {comment, args.unit.value_or(ModelUnit::millimeter),
                                args.build.workers, colours, args.bands});
    if (!problem.empty())
        return failed(out.name(), problem);
    if (!out.commit())
        return failed(out.name(), out.error());
    return exitWritten;
}

// --scale, --fit and the conversion to metres, in one multiplication.
std::optional<std::string> resize(const Arguments& args, PolygonsIndexedNormal& mesh) {
    double factor = args.scale.value_or(1.0);
    if (args.fit) {
        const std::optional<double> fit = Vextal::fitFactor(mesh, *args.fit);
        if (!fit)
            return std::string("cannot fit: the surface has no extent");
        factor = *fit;
    }
    if (args.format->units == Units::metres)
        factor *= Vextal::metresPer(args.unit.value_or(ModelUnit::millimeter));
    if (factor == 1)
        return std::nullopt;
    if (const std::string refusal = Vextal::scaleRefusal(mesh, factor); !refusal.empty())
        return "not written: " + refusal;
    Vextal::scaleMesh(mesh, factor);
    return std::nullopt;
}

// The colours of the vertices a weld kept, in their new order.
void keepColoursOf(Vextal::VertexColours& colours, const std::vector<std::uint32_t>& origins) {
    for (std::size_t k = 0; k < origins.size(); ++k) {
        colours.values[k] = colours.values[origins[k]];
        colours.colours[k] = colours.colours[origins[k]];
    }
    colours.values.resize(origins.size());
    colours.colours.resize(origins.size());
}

int exportScene(const Arguments& args) {
    if (!args.quiet)
        VextalTools::tellSkippedWords(stderr, "vextal-export", args.scenePath);
    PolygonsIndexedNormal mesh;
    const Vextal::SceneLoadResult loaded = Vextal::loadSceneFile(args.scenePath, mesh, args.build);
    if (!loaded.rendered())
        return failed(args.scenePath, loaded.reason());
    // Refused before welding, which would change the counts it names.
    if (const std::string why = refusal(*args.format, mesh); !why.empty())
        return failed(args.outPath, why);
    const bool weld = args.weld || args.format->alwaysWelded;
    const Vextal::Workers& workers = args.build.workers;
    // Coloured from the formula at each vertex's own theta and phi, which
    // only the grid the load made knows: before welding.
    std::optional<Vextal::VertexColours> colours;
    if (args.colour.mode != Vextal::ColourMode::plain)
        colours = Vextal::colourVertices(loaded.values, mesh, args.colour, workers);
    // A million vertices take seconds to weld, and to write as 3MF or OBJ.
    Vextal::ProgressLine progress("vextal-export", !args.quiet && mesh.vertexCount >= 1'000'000);
    if (weld)
        progress.step("welding " + std::to_string(mesh.vertexCount) + " vertices");
    const std::uint32_t closable =
        weld ? 0 : Vextal::openEdgesWeldCloses(mesh, loaded.scene, workers);
    if (weld) {
        std::vector<std::uint32_t> origins;
        // 3MF has no normals: they are not made again.
        Vextal::weldForPrinting(mesh, loaded.scene, workers, colours ? &origins : nullptr,
                                args.format->name != "3mf");
        if (colours)
            keepColoursOf(*colours, origins);
    }
    const std::uint32_t stillOpen =
        args.format->alwaysWelded
            ? Vextal::countEdges(mesh.triangles, mesh.triangleCount, workers).open
            : 0;
    if (const auto problem = resize(args, mesh))
        return failed(args.outPath, *problem);
    progress.step("writing " + std::to_string(mesh.triangleCount) + " triangles as " +
                  args.format->title);
    const int status = writeMesh(args, mesh, "vextal-export: " + Vextal::describe(loaded.scene),
                                 colours ? &*colours : nullptr);
    if (status == exitWritten && closable > 0)
        std::fprintf(stderr, "vextal-export: %s: %u open edges; --weld closes them\n",
                     Vextal::escaped(args.outPath).c_str(), unsigned(closable));
    if (status == exitWritten && stillOpen > 0)
        std::fprintf(stderr, "vextal-export: %s: %u open edges remain after welding\n",
                     Vextal::escaped(args.outPath).c_str(), unsigned(stillOpen));
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
