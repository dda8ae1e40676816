// The two halves of a reload on their own, each beside its reference: the
// tessellation of the configured surface, and the normals of its mesh.

#include "BenchScenes.h"

#include "mesh/MeshEdges.h"
#include "mesh/PolygonsIndexedNormal.h"
#include "scene/SceneCommands.h"
#include "support/ReferenceSceneLoad.h"
#include "support/ReferenceTessellation.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace VextalBench;
using Vextal::PolygonsIndexedNormal;
using Vextal::PrimitiveParametric;

// The surface exactly as the benchmark's scene file configures it.
std::unique_ptr<Vextal::ScenePrimitives> configured(Surface surface, int grid) {
    auto scene = std::make_unique<Vextal::ScenePrimitives>();
    std::istringstream text(sceneText(surface, grid));
    VextalReference::StreamSource source(text);
    std::string failedKeyword;
    Vextal::readCommands(source, *scene, failedKeyword);
    return scene;
}

void tessellate(benchmark::State& state, Surface surface, int grid) {
    const auto scene = configured(surface, grid);
    PolygonsIndexedNormal mesh;
    for (auto _ : state) {
        scene->selected->tessellate(mesh);
        benchmark::DoNotOptimize(mesh.vertices);
        benchmark::ClobberMemory();
    }
}

void tessellateReference(benchmark::State& state, Surface surface, int grid) {
    const auto scene = configured(surface, grid);
    PolygonsIndexedNormal mesh;
    for (auto _ : state) {
        VextalReference::tessellate(*scene->selected, mesh);
        benchmark::DoNotOptimize(mesh.vertices);
        benchmark::ClobberMemory();
    }
}

void normals(benchmark::State& state, Surface surface, int grid) {
    const auto scene = configured(surface, grid);
    PolygonsIndexedNormal mesh;
    scene->selected->tessellate(mesh);
    for (auto _ : state) {
        mesh.computeNormals();
        benchmark::DoNotOptimize(mesh.normals);
        benchmark::ClobberMemory();
    }
}

void normalsReference(benchmark::State& state, Surface surface, int grid) {
    const auto scene = configured(surface, grid);
    PolygonsIndexedNormal mesh;
    scene->selected->tessellate(mesh);
    for (auto _ : state) {
        VextalReference::computeNormals(mesh);
        benchmark::DoNotOptimize(mesh.normals);
        benchmark::ClobberMemory();
    }
}

// The wireframe's edge array of a tessellated mesh: from the ring grid, and
// from the triangles as any other mesh gets it.
void edges(benchmark::State& state, Surface surface, int grid) {
    const auto scene = configured(surface, grid);
    PolygonsIndexedNormal mesh;
    scene->selected->tessellate(mesh);
    std::vector<std::uint32_t> edges;
    for (auto _ : state) {
        Vextal::meshEdges(mesh, edges);
        benchmark::DoNotOptimize(edges.data());
        benchmark::ClobberMemory();
    }
}

void edgesOfTriangles(benchmark::State& state, Surface surface, int grid) {
    const auto scene = configured(surface, grid);
    PolygonsIndexedNormal mesh;
    scene->selected->tessellate(mesh);
    std::vector<std::uint32_t> edges;
    for (auto _ : state) {
        Vextal::triangleEdges(mesh.triangles, mesh.triangleCount, mesh.vertexCount, edges);
        benchmark::DoNotOptimize(edges.data());
        benchmark::ClobberMemory();
    }
}

const bool registered = [] {
    const struct {
        const char* name;
        void (*run)(benchmark::State&, Surface, int);
    } kinds[] = {{"BM_Tessellate", tessellate}, {"BM_TessellateReference", tessellateReference},
                 {"BM_Normals", normals},       {"BM_NormalsReference", normalsReference},
                 {"BM_Edges", edges},           {"BM_EdgesOfTriangles", edgesOfTriangles}};
    for (const auto& kind : kinds)
        for (const Surface surface : surfaces)
            for (const int grid : grids) {
                const std::string name = std::string(kind.name) + "/" + surfaceName(surface) + "/" +
                                         std::to_string(grid);
                benchmark::RegisterBenchmark(name.c_str(), kind.run, surface, grid)
                    ->Unit(benchmark::kMicrosecond);
            }
    return true;
}();

} // namespace
