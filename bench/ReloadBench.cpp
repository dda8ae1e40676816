// The whole reload as the viewer does it while R is held: read the scene
// file, tessellate the surface, compute its normals. Beside it the same
// reload with the straightforward reference code, in the same run.

#include "BenchScenes.h"

#include "mesh/PolygonsIndexedNormal.h"
#include "scene/SceneLoader.h"
#include "support/ReferenceSceneLoad.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace VextalBench;
using Vextal::PolygonsIndexedNormal;
using Vextal::SceneLoadResult;

template <SceneLoadResult (*load)(const char*, PolygonsIndexedNormal&)>
void reload(benchmark::State& state, Surface surface, int grid) {
    const std::string path = sceneFile(surface, grid);
    PolygonsIndexedNormal mesh;
    if (!load(path.c_str(), mesh).rendered()) {
        state.SkipWithError("the scene does not load");
        return;
    }
    for (auto _ : state) {
        load(path.c_str(), mesh);
        benchmark::DoNotOptimize(mesh.normals);
        benchmark::ClobberMemory();
    }
    state.counters["vertices"] = mesh.vertexCount;
}

// What no load can avoid: open, fstat, one read() and close of the file.
void fileSystemCalls(benchmark::State& state, Surface surface, int grid) {
    const std::string path = sceneFile(surface, grid);
    char buffer[4096];
    for (auto _ : state) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        struct stat status {};
        ::fstat(fd, &status);
        benchmark::DoNotOptimize(::read(fd, buffer, sizeof buffer));
        ::close(fd);
    }
}

const bool registered = [] {
    for (const Surface surface : surfaces)
        for (const int grid : grids) {
            const std::string suffix =
                std::string("/") + surfaceName(surface) + "/" + std::to_string(grid);
            benchmark::RegisterBenchmark(("BM_Reload" + suffix).c_str(),
                                         reload<Vextal::loadSceneFile>, surface, grid)
                ->Unit(benchmark::kMicrosecond);
            benchmark::RegisterBenchmark(("BM_ReloadReference" + suffix).c_str(),
                                         reload<VextalReference::loadSceneFile>, surface, grid)
                ->Unit(benchmark::kMicrosecond);
        }
    benchmark::RegisterBenchmark("BM_SceneFileSystemCalls/spheric/10", fileSystemCalls,
                                 Surface::spheric, 10)
        ->Unit(benchmark::kMicrosecond);
    return true;
}();

} // namespace
