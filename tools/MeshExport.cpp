#include "tools/MeshExport.h"

#include "base/EscapedText.h"
#include "cli/CommandLine.h"
#include "mesh/EdgeCounts.h"
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

namespace Vextal {

namespace {

template <void (*write)(std::FILE*, const PolygonsIndexedNormal&, const std::string&)>
std::string plainWriter(std::FILE* out, PolygonsIndexedNormal& mesh, const WriteRequest& r) {
    write(out, mesh, r.comment);
    return {};
}

// A writer that shares the formatting among the workers.
template <void (*write)(std::FILE*, const PolygonsIndexedNormal&, const std::string&,
                        const Workers&)>
std::string sharedWriter(std::FILE* out, PolygonsIndexedNormal& mesh, const WriteRequest& r) {
    write(out, mesh, r.comment, r.workers);
    return {};
}

std::string threeMfWriter(std::FILE* out, PolygonsIndexedNormal& mesh,
                          const WriteRequest& request) {
    return writeThreeMf(out, mesh, request.unit, request.comment);
}

// OBJ keeps NaN and infinite values so that a broken surface can be inspected;
// the other formats go to slicers and other tools, which cannot use them.
constexpr MeshFormat formats[] = {
    {"obj", "OBJ", plainWriter<writeObj>, nullptr, false, Units::none},
    {"ply", "PLY", sharedWriter<writePly>, checkFinitePositionsAndNormals, false, Units::none},
    {"stl", "STL", sharedWriter<writeStl>, checkFinitePositions, false, Units::none},
    {"3mf", "3MF", threeMfWriter, checkFinitePositions, true, Units::named},
    {"glb", "glTF", plainWriter<writeGlb>, checkFinitePositionsAndNormals, false, Units::metres},
    {"gltf", "glTF", plainWriter<writeGltf>, checkFinitePositionsAndNormals, false, Units::metres},
};

// Says why the mesh cannot be written in the format; empty when it can.
std::string refusal(const MeshFormat& format, const PolygonsIndexedNormal& mesh) {
    const std::string why = format.check ? format.check(mesh) : "";
    if (why.empty())
        return why;
    return std::string("not written as ") + format.title + ": " + why +
           " (an OBJ export keeps them for inspection)";
}

std::string writeMesh(const MeshExport& how, PolygonsIndexedNormal& mesh, std::string& where) {
    const MeshFormat& format = *how.format;
    OutputFile out(how.outPath, {.input = how.input});
    where = out.name();
    std::string problem;
    if (out.stream())
        problem =
            format.write(out.stream(), mesh,
                         {how.comment, how.unit.value_or(ModelUnit::millimeter), how.workers});
    if (problem.empty() && !out.commit())
        problem = out.error();
    return problem;
}

// Scaling, fitting and the conversion to metres, in one multiplication.
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
    if (factor == 1)
        return {};
    if (const std::string refusal = scaleRefusal(mesh, factor); !refusal.empty())
        return "not written: " + refusal;
    scaleMesh(mesh, factor);
    return {};
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

ExportOutcome exportMesh(PolygonsIndexedNormal& mesh, const SceneSummary& scene,
                         const MeshExport& how, const ProgressLine& progress) {
    ExportOutcome outcome;
    outcome.where = how.outPath;
    // Refused before welding, which would change the counts it names.
    outcome.problem = refusal(*how.format, mesh);
    if (outcome.refused = !outcome.problem.empty(); outcome.refused)
        return outcome;
    const bool weld = how.weld || how.format->alwaysWelded;
    if (weld)
        progress.step("welding " + std::to_string(mesh.vertexCount) + " vertices");
    outcome.closable = weld ? 0 : openEdgesWeldCloses(mesh, scene, how.workers);
    if (weld)
        weldForPrinting(mesh, scene, how.workers);
    outcome.stillOpen = how.format->alwaysWelded
                            ? countEdges(mesh.triangles, mesh.triangleCount, how.workers).open
                            : 0;
    outcome.problem = resize(how, mesh);
    // Checked again: scaling may have overflowed the float range.
    if (outcome.problem.empty())
        outcome.problem = refusal(*how.format, mesh);
    if (outcome.refused = !outcome.problem.empty(); outcome.refused)
        return outcome;
    progress.step("writing " + std::to_string(mesh.triangleCount) + " triangles as " +
                  how.format->title);
    outcome.problem = writeMesh(how, mesh, outcome.where);
    return outcome;
}

} // namespace Vextal
