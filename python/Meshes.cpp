#include "python/Meshes.h"

#include "python/Errors.h"
#include "python/Interruptible.h"
#include "python/Numbers.h"

#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <cstdint>

namespace py = pybind11;

namespace VextalPython {

namespace {

// Far more than any machine this runs on, as the tools' --threads.
constexpr std::uint32_t maxThreads = 1024;

std::string shown(const py::handle& value) {
    return py::repr(value).cast<std::string>();
}

std::uint32_t gridCount(const py::handle& value, const py::object& grid) {
    const WholeNumber count = wholeNumberOf(value);
    if (!count.value && !count.tooLarge)
        raiseValueError("grid must be (slices, rotations), whole numbers, got " + shown(grid) +
                        ", whose " + shownValue(value, true) + " is not one");
    if (!count.value || *count.value < 3 || *count.value > Vextal::maxGridCount)
        raiseValueError("grid must be (slices, rotations), each from 3 to " +
                        std::to_string(Vextal::maxGridCount) + ", got " + shown(grid));
    return std::uint32_t(*count.value);
}

// A 1-D array of `count` rows of `width` values, read-only, kept alive by the mesh.
template <typename T>
py::array rowsOf(const std::shared_ptr<Mesh>& mesh, const void* data, std::uint32_t count,
                 std::size_t width) {
    // The capsule holds its own reference to the mesh, released with the array.
    py::capsule owner(new std::shared_ptr<Mesh>(mesh),
                      [](void* held) { delete static_cast<std::shared_ptr<Mesh>*>(held); });
    py::array_t<T> rows({std::size_t(count), width}, {width * sizeof(T), sizeof(T)},
                        static_cast<const T*>(data), owner);
    py::detail::array_proxy(rows.ptr())->flags &= ~py::detail::npy_api::NPY_ARRAY_WRITEABLE_;
    return rows;
}

// The mesh keeps its triangles clockwise seen from outside; the files, and
// the tools that read arrays, take them counter-clockwise (i0, i2, i1).
// Nothing but the arrays reads a Python mesh, so they are turned in place,
// once, when first asked for: with the GIL held, so no two threads turn them.
void turnToFilesOrder(Mesh& mesh) {
    if (mesh.filesOrder)
        return;
    Vextal::PolygonsIndexedNormal& polygons = mesh.polygons;
    Vextal::forEachBlock(mesh.build.workers, polygons.triangleCount, 1 << 16,
                         [&](std::uint32_t begin, std::uint32_t end) {
                             for (std::uint32_t t = begin; t < end; ++t)
                                 std::swap(polygons.triangles[t].i1, polygons.triangles[t].i2);
                         });
    mesh.filesOrder = true;
}

} // namespace

Vextal::MeshBuild meshBuildOf(const py::object& grid, const py::object& threads) {
    Vextal::MeshBuild build;
    build.workers.threads = Vextal::allCores();
    if (!grid.is_none()) {
        if (!py::isinstance<py::sequence>(grid) || py::isinstance<py::str>(grid) ||
            py::len(grid) != 2)
            raiseValueError("grid must be (slices, rotations), got " + shown(grid));
        const py::sequence pair = grid;
        build.grid = Vextal::GridSize{gridCount(pair[0], grid), gridCount(pair[1], grid)};
    }
    if (!threads.is_none()) {
        const std::string needs = "must be a whole number from 1 to " + std::to_string(maxThreads);
        build.workers.threads =
            unsigned(wholeNumber(threads, "threads", needs.c_str(), 1, maxThreads));
    }
    return build;
}

std::shared_ptr<Mesh> buildMesh(const Scene& scene, const Vextal::MeshBuild& build) {
    auto mesh = std::make_shared<Mesh>();
    mesh->scene = scene;
    mesh->build = build;
    const std::string text = Vextal::sceneText(scene.values);
    Vextal::SceneLoadResult loaded;
    Vextal::MeshBuild stoppable = build;
    runInterruptibly(stoppable.workers,
                     [&] { loaded = Vextal::loadSceneText(text, mesh->polygons, stoppable); });
    // Canonical text always reaches "render"; this guards a broken promise.
    if (!loaded.rendered())
        raiseSceneError(shownName(scene) + ": " + loaded.reason(), std::nullopt, std::nullopt);
    mesh->summary = loaded.scene;
    mesh->values = loaded.values;
    return mesh;
}

void bindMeshes(py::module_& module) {
    py::class_<Mesh, std::shared_ptr<Mesh>>(module, "Mesh", R"(A tessellated scene.

vertices and normals are n x 3 float32 arrays, triangles an m x 3 uint32
array of vertex indices; all three are read-only and share the mesh's memory,
which lives as long as any of them does.)")
        .def_property_readonly(
            "vertices",
            [](const std::shared_ptr<Mesh>& m) {
                return rowsOf<float>(m, m->polygons.vertices, m->polygons.vertexCount, 3);
            },
            "n x 3 float32: the vertex positions.")
        .def_property_readonly(
            "normals",
            [](const std::shared_ptr<Mesh>& m) {
                return rowsOf<float>(m, m->polygons.normals, m->polygons.normalCount, 3);
            },
            "n x 3 float32: the unit vertex normals.")
        .def_property_readonly(
            "triangles",
            [](const std::shared_ptr<Mesh>& m) {
                turnToFilesOrder(*m);
                return rowsOf<std::uint32_t>(m, m->polygons.triangles, m->polygons.triangleCount,
                                             3);
            },
            "m x 3 uint32: each triangle's vertex indices.")
        .def_property_readonly(
            "grid",
            [](const Mesh& m) {
                return py::make_tuple(m.summary.sliceCount, m.summary.rotateCount);
            },
            "(slices, rotations) the mesh was built with.")
        .def_property_readonly(
            "scene", [](const Mesh& m) { return m.scene; },
            "A copy of the scene it was built from.")
        .def("__repr__", [](const Mesh& m) {
            return "<vextal.Mesh " + std::to_string(m.polygons.vertexCount) + " vertices, " +
                   std::to_string(m.polygons.triangleCount) +
                   " triangles: " + Vextal::describe(m.summary) + ">";
        });

    py::class_<Scene> scene = py::reinterpret_borrow<py::class_<Scene>>(module.attr("Scene"));
    scene.def(
        "mesh",
        [](const Scene& s, const py::object& grid, const py::object& threads) {
            return buildMesh(s, meshBuildOf(grid, threads));
        },
        py::arg("grid") = py::none(), py::arg("threads") = py::none(),
        R"(Tessellates the scene as vextal-export does, bit for bit.

grid=(slices, rotations), each 3 to 4096, instead of the scene's counts (as
--grid); threads=N builds it with N threads (default: every core), with the
same result for every N. The GIL is released while it is built.)");
}

} // namespace VextalPython
