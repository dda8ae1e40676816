// The whole reload as the viewer does it while R is held: read the scene
// file, tessellate the surface, compute its normals. BM_Reload loads a file
// saved more than the memory's settling time ago, so its bytes come from
// the viewer's SceneFileMemory after one stat(); BM_ReloadAfterSave reads
// the file every time, as the viewer does in the seconds after a save.
// Beside them the same reload with the straightforward reference code
// (which reads the file every time), in the same run.

#include "BenchScenes.h"

#include "mesh/PolygonsIndexedNormal.h"
#include "scene/SceneFileMemory.h"
#include "scene/SceneLoader.h"
#include "support/ReferenceSceneLoad.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace VextalBench;
using Vextal::PolygonsIndexedNormal;
using Vextal::SceneLoadResult;

// Changes the working directory for as long as it lives.
class WorkingDirectory {
public:
    explicit WorkingDirectory(const std::filesystem::path& folder)
        : previous(std::filesystem::current_path()) {
        std::filesystem::current_path(folder);
    }
    ~WorkingDirectory() { std::filesystem::current_path(previous); }
    WorkingDirectory(const WorkingDirectory&) = delete;
    WorkingDirectory& operator=(const WorkingDirectory&) = delete;

private:
    std::filesystem::path previous;
};

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

void reloadRemembered(benchmark::State& state, Surface surface, int grid) {
    const std::filesystem::path file = sceneFile(surface, grid);
    waitUntilSettled(file);
    // The viewer loads "conf.txt" from its working directory: a path of one
    // component, as here.
    const WorkingDirectory inFolder(file.parent_path());
    const std::string path = file.filename().string();
    Vextal::SceneFileMemory memory;
    PolygonsIndexedNormal mesh;
    if (!Vextal::loadSceneFile(path.c_str(), mesh, memory).rendered() ||
        !memory.recall(path.c_str())) {
        state.SkipWithError("the scene does not load from memory");
        return;
    }
    for (auto _ : state) {
        Vextal::loadSceneFile(path.c_str(), mesh, memory);
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
            // Written now, so that all have settled by the first BM_Reload.
            sceneFile(surface, grid);
            const std::string suffix =
                std::string("/") + surfaceName(surface) + "/" + std::to_string(grid);
            benchmark::RegisterBenchmark(("BM_Reload" + suffix).c_str(), reloadRemembered, surface,
                                         grid)
                ->Unit(benchmark::kMicrosecond);
            benchmark::RegisterBenchmark(("BM_ReloadAfterSave" + suffix).c_str(),
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
