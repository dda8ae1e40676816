// Prints "NAME HASH" for each scene file given, the hash of the mesh the
// desktop's load builds (mesh/MeshHash.h), for comparison with the page's.
#include "mesh/MeshHash.h"
#include "mesh/PolygonsIndexedNormal.h"
#include "scene/SceneLoader.h"

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    int status = 0;
    for (int k = 1; k < argc; ++k) {
        Vextal::PolygonsIndexedNormal mesh;
        const char* name = std::strrchr(argv[k], '/') ? std::strrchr(argv[k], '/') + 1 : argv[k];
        if (!Vextal::loadSceneFile(argv[k], mesh).rendered()) {
            std::fprintf(stderr, "%s: not loaded\n", argv[k]);
            status = 1;
            continue;
        }
        std::printf("%s %s\n", name, Vextal::meshHashText(mesh).c_str());
    }
    return status;
}
