#include "tools/MeshExport.h"

#include "base/EscapedText.h"
#include "cli/CommandLine.h"
#include "mesh/EdgeCounts.h"
#include "meshfiles/ColourBands.h"
#include "meshfiles/GltfWriter.h"
#include "meshfiles/MeshCheck.h"
#include "meshfiles/MeshFit.h"
#include "meshfiles/MeshScale.h"
#include "meshfiles/ObjWriter.h"
#include "meshfiles/PlyWriter.h"
#include "meshfiles/StlWriter.h"
#include "meshfiles/ThreeMfWriter.h"
#include "meshfiles/WeldForPrinting.h"
#include "output/OutputFile.h"

#include <future>

namespace Vextal {

namespace {

// A writer that takes the colours, if any.
template <void (*write)(std::FILE*, const PolygonsIndexedNormal&, const std::string&,
                        const VertexColours*)>
std::string colourWriter(std::FILE* out, PolygonsIndexedNormal& mesh, const WriteRequest& r) {
    write(out, mesh, r.comment, r.colours);
    return {};
}

std::string plyWriter(std::FILE* out, PolygonsIndexedNormal& mesh, const WriteRequest& r) {
    writePly(out, mesh, r.comment, r.workers, r.colours);
    return {};
}

std::string stlWriter(std::FILE* out, PolygonsIndexedNormal& mesh, const WriteRequest& r) {
    writeStl(out, mesh, r.comment, r.workers);
    return {};
}

// Per-vertex colours as a colour group, or in bands a base material (a
// filament) per triangle.
std::string threeMfWriter(std::FILE* out, PolygonsIndexedNormal& mesh,
                          const WriteRequest& request) {
    ThreeMfContent content{.unit = request.unit, .name = request.comment};
    TriangleMaterials materials;
    if (request.colours && request.bands > 0) {
        materials = bandTriangles(mesh, *request.colours, request.bands, request.bandSpan);
        content.materials = &materials;
    } else if (request.colours) {
        content.vertexColours = &request.colours->colours;
    }
    return writeThreeMf(out, mesh, content, request.workers);
}

// OBJ keeps NaN and infinite values so that a broken surface can be inspected;
// the other formats go to slicers and other tools, which cannot use them.
// The 3MF core specification bounds a model's coordinates, in its unit, by
// 1e9; its readers (lib3mf among them) refuse a model beyond it.
constexpr MeshFormat formats[] = {
    {"obj", "OBJ", colourWriter<writeObj>, nullptr, false, Units::none, true, false, 0},
    {"ply", "PLY", plyWriter, checkFinitePositionsAndNormals, false, Units::none, true, false, 0},
    {"stl", "STL", stlWriter, checkFinitePositions, false, Units::none, false, false, 0},
    {"3mf", "3MF", threeMfWriter, checkFinitePositions, true, Units::named, true, true, 1e9},
    {"glb", "glTF", colourWriter<writeGlb>, checkFinitePositionsAndNormals, false, Units::metres,
     true, false, 0},
    {"gltf", "glTF", colourWriter<writeGltf>, checkFinitePositionsAndNormals, false, Units::metres,
     true, false, 0},
};

// The colours of the vertices a weld kept, in their new order.
void keepColoursOf(VertexColours& colours, const std::vector<std::uint32_t>& origins) {
    for (std::size_t k = 0; k < origins.size(); ++k) {
        colours.values[k] = colours.values[origins[k]];
        colours.colours[k] = colours.colours[origins[k]];
    }
    colours.values.resize(origins.size());
    colours.colours.resize(origins.size());
}

// Says why the mesh cannot be written in the format; empty when it can.
std::string refusal(const MeshFormat& format, const PolygonsIndexedNormal& mesh) {
    const std::string why = format.check ? format.check(mesh) : "";
    if (why.empty())
        return why;
    return std::string("not written as ") + format.title + ": " + why +
           " (an OBJ export keeps them for inspection)";
}

std::string writeMesh(const MeshExport& how, PolygonsIndexedNormal& mesh,
                      const VertexColours* colours, std::string& where) {
    const MeshFormat& format = *how.format;
    OutputFile out(how.outPath, {.input = how.input, .stop = how.workers.stop});
    where = out.name();
    std::string problem;
    if (out.stream())
        problem = format.write(out.stream(), mesh,
                               {how.comment, how.unit.value_or(ModelUnit::millimeter), how.workers,
                                colours, how.bands, how.bandSpan});
    // Stopped, the file is not put in place, even when it was all written.
    if (how.workers.stop && how.workers.stop->load())
        throw WorkStopped{};
    if (problem.empty() && !out.commit())
        problem = out.error();
    return problem;
}

// Why the scaled mesh lies beyond the coordinates the format allows.
std::string boundRefusal(const MeshExport& how, const PolygonsIndexedNormal& mesh) {
    const double largest = how.format->largestCoordinate;
    const std::string why = largest > 0 ? checkCoordinatesWithin(mesh, largest) : "";
    if (why.empty())
        return why;
    return std::string("not written as ") + how.format->title + ": " + why +
           " (in the model's unit, " +
           std::string(unitName(how.unit.value_or(ModelUnit::millimeter))) + ")";
}

// Scaling, fitting and the conversion to metres, in one multiplication, then
// the format's bound on coordinates.
std::string resize(const MeshExport& how, PolygonsIndexedNormal& mesh) {
    double factor = how.scale.value_or(1.0);
    if (how.fit) {
        const std::optional<double> fit = fitFactor(mesh, *how.fit);
        if (!fit)
            return "cannot fit: the surface has no extent";
        factor = *fit;
    }
    if (how.format->units == Units::metres)
        factor *= metresPer(how.unit.value_or(ModelUnit::millimeter));
    if (factor != 1) {
        if (const std::string refusal = scaleRefusal(mesh, factor); !refusal.empty())
            return "not written: " + refusal;
        scaleMesh(mesh, factor);
    }
    return boundRefusal(how, mesh);
}

} // namespace

const MeshFormat* meshFormatNamed(std::string_view name) {
    for (const MeshFormat& format : formats)
        if (name == format.name)
            return &format;
    return nullptr;
}

const MeshFormat* meshFormatForPath(std::string_view path) {
    const std::string_view file = path.substr(path.find_last_of('/') + 1);
    const std::size_t dot = file.find_last_of('.');
    if (dot == std::string_view::npos || dot == 0)
        return nullptr;
    return meshFormatNamed(lowerCase(file.substr(dot + 1)));
}

std::string colourRefusal(const MeshFormat& format, bool colourGiven, bool coloured,
                          bool rangeGiven, int bands, std::string_view dashes) {
    const std::string title = format.title, d(dashes);
    if (colourGiven && !format.colours)
        return d + "colour needs a format that carries colour (obj, ply, 3mf, glb, gltf); " +
               title + " carries none";
    if (bands > 0 && !format.materials)
        return d + "colours needs the 3mf format, whose materials a printer takes; " + title +
               " has none";
    if (bands > 0 && !coloured)
        return d + "colours needs " + d + "colour with a mode other than plain to cut into bands";
    if (rangeGiven && !coloured)
        return d + "range needs " + d + "colour with a mode other than plain";
    return {};
}

ExportOutcome exportMesh(PolygonsIndexedNormal& mesh, const SceneSummary& scene,
                         const MeshExport& how, const ProgressLine& progress,
                         VertexColours* colours) {
    ExportOutcome outcome;
    outcome.where = how.outPath;
    // Refused before welding, which would change the counts it names.
    outcome.problem = refusal(*how.format, mesh);
    if (outcome.refused = !outcome.problem.empty(); outcome.refused)
        return outcome;
    const bool weld = how.weld || how.format->alwaysWelded;
    if (weld)
        progress.step("welding " + std::to_string(mesh.vertexCount) + " vertices");
    outcome.closable =
        weld || !how.countOpenEdges ? 0 : openEdgesWeldCloses(mesh, scene, how.workers);
    if (weld) {
        std::vector<std::uint32_t> origins;
        // 3MF has no normals: they are not made again.
        weldForPrinting(mesh, scene, how.workers, colours ? &origins : nullptr,
                        how.format->name != "3mf");
        if (colours)
            keepColoursOf(*colours, origins);
    }
    // Only a message after the writing needs this count: it is made on a
    // thread of its own while the file is written, which leaves cores idle.
    // The writing reads the triangles; only the vertices are scaled.
    std::future<std::uint32_t> stillOpen;
    if (how.format->alwaysWelded && how.countOpenEdges)
        stillOpen = std::async(std::launch::async, [&mesh] {
            return countEdges(mesh.triangles, mesh.triangleCount).open;
        });
    outcome.problem = resize(how, mesh);
    // Checked again: scaling may have overflowed the float range.
    if (outcome.problem.empty())
        outcome.problem = refusal(*how.format, mesh);
    if (outcome.refused = !outcome.problem.empty(); outcome.refused)
        return outcome;
    progress.step("writing " + std::to_string(mesh.triangleCount) + " triangles as " +
                  how.format->title);
    outcome.problem = writeMesh(how, mesh, colours, outcome.where);
    outcome.stillOpen = stillOpen.valid() ? stillOpen.get() : 0;
    return outcome;
}

} // namespace Vextal
