#pragma once

#include "mesh/PolygonsIndexedNormal.h"
#include "python/Scenes.h"
#include "scene/SceneLoader.h"

#include <pybind11/pybind11.h>

#include <memory>
#include <optional>

namespace VextalPython {

// A tessellated scene. Python's arrays share its memory, and each holds the mesh alive, so it
// lives as long as anything refers to it; nothing changes it once built.
struct Mesh {
    Vextal::PolygonsIndexedNormal polygons;
    Vextal::SceneSummary summary; // what the load built: the surface and its grid
    Vextal::SceneValues values;   // the values the load took, for colouring by the formula
    Scene scene;
    Vextal::MeshBuild build;
    bool filesOrder = false; // the triangles turned as the files write them
};

// The grid= and threads= arguments: the scene's own grid unless given, every
// core unless given. Refused values raise ValueError naming the argument.
Vextal::MeshBuild meshBuildOf(const pybind11::object& grid, const pybind11::object& threads);

// Tessellates the scene as vextal-export does, without the GIL.
std::shared_ptr<Mesh> buildMesh(const Scene& scene, const Vextal::MeshBuild& build);

// Adds vextal.Mesh and Scene.mesh.
void bindMeshes(pybind11::module_& module);

} // namespace VextalPython
