// vextal-export SCENE_FILE OUT.obj
// Loads a scene file exactly as the viewer loads conf.txt and writes the mesh.

#include "export/AtomicFile.h"
#include "export/ObjWriter.h"
#include "mesh/PolygonsIndexedNormal.h"
#include "scene/SceneLoader.h"

#include <cstdio>
#include <string>
#include <string_view>

namespace {

constexpr int exitWritten = 0;
constexpr int exitFailed = 2;
constexpr int exitUsage = 64;

using MeshWriter = void (*)(std::FILE*, const Vextal::PolygonsIndexedNormal&, const std::string&);

struct MeshFormat {
    std::string_view extension;
    MeshWriter write;
};

constexpr MeshFormat formats[] = {
    {".obj", Vextal::writeObj},
};

const MeshFormat* formatFor(std::string_view path) {
    for (const MeshFormat& format : formats)
        if (path.size() > format.extension.size() && path.ends_with(format.extension))
            return &format;
    return nullptr;
}

int usage() {
    std::fprintf(stderr, "usage: vextal-export SCENE_FILE OUT.obj\n");
    return exitUsage;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3)
        return usage();
    const char* scenePath = argv[1];
    const char* outPath = argv[2];
    const MeshFormat* format = formatFor(outPath);
    if (!format)
        return usage();

    Vextal::PolygonsIndexedNormal mesh;
    const Vextal::SceneLoadResult loaded = Vextal::loadSceneFile(scenePath, mesh);
    if (!loaded.rendered()) {
        std::fprintf(stderr, "vextal-export: %s: %s\n", scenePath, loaded.reason().c_str());
        return exitFailed;
    }

    Vextal::AtomicFile out(outPath);
    if (out.stream())
        format->write(out.stream(), mesh, "vextal-export: " + Vextal::describe(loaded.scene));
    if (!out.commit()) {
        std::fprintf(stderr, "vextal-export: %s: %s\n", outPath, out.error().c_str());
        return exitFailed;
    }
    return exitWritten;
}
