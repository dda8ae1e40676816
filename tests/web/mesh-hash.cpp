// Prints "NAME HASH" for each scene file given, the hash of the mesh the
// desktop's load builds (mesh/MeshHash.h), for comparison with the page's;
// with a first "--grid SxR", on that grid, on one thread as the page builds.
//   vextal-mesh-hash [--grid SxR] SCENE_FILE...
#include "mesh/MeshHash.h"
#include "mesh/PolygonsIndexedNormal.h"
#include "scene/SceneLoader.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    int status = 0;
    int first = 1;
    Vextal::MeshBuild build;
    if (argc > 2 && std::strcmp(argv[1], "--grid") == 0) {
        char* rest = nullptr;
        const unsigned long slices = std::strtoul(argv[2], &rest, 10);
        const unsigned long rotations = *rest == 'x' ? std::strtoul(rest + 1, nullptr, 10) : 0;
        build.grid = Vextal::GridSize{std::uint32_t(slices), std::uint32_t(rotations)};
        first = 3;
    }
    for (int k = first; k < argc; ++k) {
        Vextal::PolygonsIndexedNormal mesh;
        const char* name = std::strrchr(argv[k], '/') ? std::strrchr(argv[k], '/') + 1 : argv[k];
        if (!Vextal::loadSceneFile(argv[k], mesh, build).rendered()) {
            std::fprintf(stderr, "%s: not loaded\n", argv[k]);
            status = 1;
            continue;
        }
        std::printf("%s %s\n", name, Vextal::meshHashText(mesh).c_str());
    }
    return status;
}
