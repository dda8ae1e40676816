#include "python/Exports.h"

#include "base/EscapedText.h"
#include "colour/VertexColouring.h"
#include "python/Colours.h"
#include "python/Errors.h"
#include "python/Interruptible.h"
#include "python/Meshes.h"
#include "python/Numbers.h"
#include "tools/MeshExport.h"

#include <cmath>

namespace py = pybind11;

namespace VextalPython {

namespace {

std::optional<double> positive(const py::object& value, const char* argument) {
    if (value.is_none())
        return std::nullopt;
    const std::optional<double> number = realNumberOf(value);
    const double size = number.value_or(0);
    if (!std::isfinite(size) || size <= 0)
        raiseValueError(std::string(argument) + " must be a positive number, got " +
                        shownValue(value, !number));
    return size;
}

// The export's options, checked as vextal-export checks its command line.
Vextal::MeshExport exportOf(const std::string& path, const py::object& unit, const py::object& fit,
                            const py::object& scale, bool weld) {
    Vextal::MeshExport how;
    how.outPath = path;
    how.format = Vextal::meshFormatForPath(path);
    if (!how.format)
        raiseValueError("path: cannot tell the format of '" + Vextal::escaped(path) +
                        "': end it in .obj, .ply, .stl, .3mf, .glb or .gltf");
    how.weld = weld;
    how.fit = positive(fit, "fit");
    how.scale = positive(scale, "scale");
    if (how.fit && how.scale)
        raiseValueError("fit and scale both set the size: give one of them");
    if (!unit.is_none()) {
        how.unit = py::isinstance<py::str>(unit) ? Vextal::unitNamed(unit.cast<std::string>())
                                                 : std::nullopt;
        if (!how.unit)
            raiseValueError("unit takes " + std::string(Vextal::unitNames()) + ", got " +
                            shownValue(unit, !py::isinstance<py::str>(unit)));
        if (how.format->units == Vextal::Units::none)
            raiseValueError("unit needs a format that knows units (3mf, glb, gltf); " +
                            std::string(how.format->title) + " carries none");
    }
    return how;
}

// The mesh to write: the scene's, or a mesh's scene built again at its grid
// (the same bits), since welding and scaling change the mesh in place.
std::shared_ptr<Mesh> meshToWrite(const py::object& source, const py::object& grid,
                                  const py::object& threads) {
    if (py::isinstance<Scene>(source))
        return buildMesh(source.cast<const Scene&>(), meshBuildOf(grid, threads));
    if (!py::isinstance<Mesh>(source))
        raiseValueError("scene_or_mesh must be a vextal.Scene or a vextal.Mesh, got " +
                        py::repr(source.get_type()).cast<std::string>());
    if (!grid.is_none())
        raiseValueError("grid applies to a scene: a mesh keeps the grid it was built with");
    const Mesh& given = source.cast<const Mesh&>();
    Vextal::MeshBuild build = meshBuildOf(py::none(), threads);
    build.grid = Vextal::GridSize{given.summary.sliceCount, given.summary.rotateCount};
    return buildMesh(given.scene, build);
}

// The number of bands of materials: none, or 2 to 16.
int bandsOf(const py::object& colours) {
    if (colours.is_none())
        return 0;
    return int(
        wholeNumber(colours, "colours", "must be a whole number of bands from 2 to 16", 2, 16));
}

void exportScene(const py::object& source, const py::object& path, const py::object& unit,
                 const py::object& fit, const py::object& scale, bool weld, const py::object& grid,
                 const py::object& threads, const py::object& colour, const py::object& range,
                 const py::object& colours) {
    Vextal::MeshExport how = exportOf(fileSystemPath(path), unit, fit, scale, weld);
    const Vextal::ColourRequest request = colourRequestOf(colour, range);
    how.bands = bandsOf(colours);
    how.bandSpan =
        range.is_none() ? Vextal::BandSpan::occurringValues : Vextal::BandSpan::colourRange;
    const std::string refusal = Vextal::colourRefusal(*how.format, !colour.is_none(),
                                                      request.mode != Vextal::ColourMode::plain,
                                                      !range.is_none(), how.bands, "");
    if (!refusal.empty())
        raiseValueError(refusal);
    const std::shared_ptr<Mesh> mesh = meshToWrite(source, grid, threads);
    how.workers = mesh->build.workers;
    how.countOpenEdges = false; // only vextal-export warns of them
    how.input = mesh->scene.path;
    how.comment = "vextal-export: " + Vextal::describe(mesh->summary);
    Vextal::ExportOutcome outcome;
    runInterruptibly(how.workers, [&] {
        // Coloured before welding: only the grid the load made knows each
        // vertex's theta and phi.
        std::optional<Vextal::VertexColours> vertexColours;
        if (request.mode != Vextal::ColourMode::plain)
            vertexColours =
                Vextal::colourVertices(mesh->values, mesh->polygons, request, how.workers);
        outcome = Vextal::exportMesh(mesh->polygons, mesh->summary, how, {"vextal", false},
                                     vertexColours ? &*vertexColours : nullptr);
    });
    if (outcome.refused)
        raiseValueError(Vextal::escaped(outcome.where) + ": " + outcome.problem);
    if (!outcome.problem.empty())
        raiseOSError(how.outPath, outcome.problem);
}

} // namespace

void bindExports(py::module_& module) {
    module.def("export", &exportScene, py::arg("scene_or_mesh"), py::arg("path"),
               py::arg("unit") = py::none(), py::arg("fit") = py::none(),
               py::arg("scale") = py::none(), py::arg("weld") = false, py::arg("grid") = py::none(),
               py::arg("threads") = py::none(), py::arg("colour") = py::none(),
               py::arg("range") = py::none(), py::arg("colours") = py::none(),
               R"(Writes the surface as vextal-export does, in the format path's extension names.

.obj, .ply, .stl, .3mf (always welded, with its unit), .glb or .gltf (in
metres); the bytes are vextal-export's for the same scene and options.
unit: micron, millimeter (default), centimeter, inch, foot or meter, for
3mf, glb and gltf; fit=SIZE scales the largest side of the bounding box to
SIZE; scale=S multiplies the coordinates; weld=True merges coinciding
vertices and closes a torus whose theta makes a full turn; grid and threads
as in Scene.mesh. colour=MODE and range=(low, high) colour every vertex as
Mesh.colour does (obj, ply, 3mf, glb, gltf); colours=N (2 to 16) cuts the
colouring into N bands, each triangle one material of a 3mf (without range
each band an equal share of the triangles, with it equal bands of the range). The file is written whole or not at all (an existing file
is then left as it was): OSError when it cannot be, ValueError when the mesh
or an argument is refused. The GIL is released while it writes.)");
}

} // namespace VextalPython
