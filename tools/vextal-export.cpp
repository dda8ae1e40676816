// vextal-export [--format F] [--weld] [--scale S | --fit SIZE] [--unit U]
//               [--colour MODE [--range LO,HI] [--colours N]]
//               [--grid SxR] [--threads N] SCENE_FILE OUT.{obj,ply,stl,3mf,glb,gltf}
// Loads a scene file exactly as the viewer loads conf.txt and writes the mesh in
// the format that the output's extension names, or the one --format names.

#include "base/EscapedText.h"
#include "cli/CommandLine.h"
#include "colour/VertexColouring.h"
#include "mesh/MeshSurvey.h"
#include "mesh/PolygonsIndexedNormal.h"
#include "meshfiles/ColourBands.h"
#include "meshfiles/ModelUnit.h"
#include "scene/MeshWarnings.h"
#include "scene/SceneLoader.h"
#include "tools/ColourOptions.h"
#include "tools/MeshBuildOptions.h"
#include "tools/MeshExport.h"
#include "tools/OptionValues.h"
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

struct Arguments {
    const char* scenePath = nullptr;
    const char* outPath = nullptr;
    const Vextal::MeshFormat* format = nullptr;
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
     "cut the colouring into N bands, 2 to 16, each a material\n"
     "named by its range, each triangle the material of its mean\n"
     "value: one filament a band (3mf only; PrusaSlicer prints\n"
     "band k with extruder k). Without --range each band holds an\n"
     "equal share of the triangles; --range is cut into equal bands"},
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
    "the other formats refuse a mesh that has any. 3MF is always welded,\n"
    "carries its unit and holds no coordinate beyond 1e9 in it; glTF (binary\n"
    ".glb, or .gltf with its buffer embedded) is in metres. Nothing half-written\n"
    "is left, and an existing file is left as it\n"
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

// A positive finite number, the whole text, read as every option's number is.
std::optional<double> positiveNumber(std::string_view text) {
    const std::optional<double> value = VextalTools::parseNumber<double>(text);
    if (!value || !std::isfinite(*value) || *value <= 0)
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
        args.format = Vextal::meshFormatNamed(Vextal::lowerCase(*formatName));
        if (!args.format)
            return "--format takes obj, ply, stl, 3mf, glb or gltf, got '" +
                   Vextal::escaped(*formatName) + "'";
        return std::nullopt;
    }
    if (std::string_view(args.outPath) == "-")
        return "standard output ('-') has no extension: give --format";
    args.format = Vextal::meshFormatForPath(args.outPath);
    if (!args.format)
        return "cannot tell the format of '" + Vextal::escaped(args.outPath) +
               "': end it in .obj, .ply, .stl, .3mf, .glb or .gltf, or give --format";
    return std::nullopt;
}

// Options that make no sense together, or with the chosen format.
Refusal checkCombination(const Arguments& args) {
    if (args.fit && args.scale)
        return std::string("--fit and --scale both set the size: give one of them");
    if (args.unit && args.format->units == Vextal::Units::none)
        return "--unit needs a format that knows units (3mf, glb, gltf); " +
               std::string(args.format->title) + " carries none";
    const std::string colours = Vextal::colourRefusal(*args.format, args.colourGiven,
                                                      args.colour.mode != Vextal::ColourMode::plain,
                                                      args.rangeGiven, args.bands, "--");
    return colours.empty() ? Refusal() : Refusal(colours);
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

// What vextal-check warns of the surface, for a mesh meant for printing
// (welded): a slicer makes junk of one that is not finite, not closed or
// encloses almost no volume. Triangles without area are left to the slicer,
// which drops them.
std::vector<std::string> printingWarnings(const Vextal::PolygonsIndexedNormal& mesh,
                                          const Vextal::SceneSummary& scene) {
    Vextal::MeshSurvey survey = Vextal::surveyMesh(mesh);
    survey.degenerateTriangles = 0;
    return Vextal::meshWarnings(mesh, survey, scene);
}

int exportScene(const Arguments& args) {
    if (!args.quiet)
        VextalTools::tellSkippedWords(stderr, "vextal-export", args.scenePath);
    PolygonsIndexedNormal mesh;
    const Vextal::SceneLoadResult loaded = Vextal::loadSceneFile(args.scenePath, mesh, args.build);
    if (!loaded.rendered())
        return failed(args.scenePath, loaded.reason());
    const Vextal::MeshExport how{args.format,
                                 args.weld,
                                 args.scale,
                                 args.fit,
                                 args.unit,
                                 args.build.workers,
                                 args.scenePath,
                                 args.outPath,
                                 "vextal-export: " + Vextal::describe(loaded.scene),
                                 args.bands,
                                 args.rangeGiven ? Vextal::BandSpan::colourRange
                                                 : Vextal::BandSpan::occurringValues};
    // What a slicer would make junk of, said of the surface as loaded.
    const bool weld = args.weld || args.format->alwaysWelded;
    const std::vector<std::string> warnings =
        weld ? printingWarnings(mesh, loaded.scene) : std::vector<std::string>();
    // Coloured from the formula at each vertex's own theta and phi, which
    // only the grid the load made knows: before welding.
    std::optional<Vextal::VertexColours> colours;
    if (args.colour.mode != Vextal::ColourMode::plain)
        colours = Vextal::colourVertices(loaded.values, mesh, args.colour, args.build.workers);
    // A million vertices take seconds to weld, and to write as 3MF or OBJ.
    const Vextal::ProgressLine progress("vextal-export",
                                        !args.quiet && mesh.vertexCount >= 1'000'000);
    const Vextal::ExportOutcome outcome =
        Vextal::exportMesh(mesh, loaded.scene, how, progress, colours ? &*colours : nullptr);
    if (!outcome.problem.empty())
        return failed(outcome.where, outcome.problem);
    if (outcome.closable > 0)
        std::fprintf(stderr, "vextal-export: %s: %u open edges; --weld closes them\n",
                     Vextal::escaped(args.outPath).c_str(), unsigned(outcome.closable));
    if (outcome.stillOpen > 0)
        std::fprintf(stderr, "vextal-export: %s: %u open edges remain after welding\n",
                     Vextal::escaped(args.outPath).c_str(), unsigned(outcome.stillOpen));
    for (const std::string& warning : warnings)
        std::fprintf(stderr, "vextal-export: %s: %s\n", Vextal::escaped(args.outPath).c_str(),
                     warning.c_str());
    return exitWritten;
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
