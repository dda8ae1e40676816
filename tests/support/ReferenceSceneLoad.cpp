#include "support/ReferenceSceneLoad.h"

#include "mesh/PolygonsIndexedNormal.h"
#include "scene/SceneFile.h"
#include "support/ReferenceTessellation.h"
#include "support/SceneFileBuffer.h"

#include <locale>

namespace VextalReference {

using namespace Vextal;

SceneLoadResult loadSceneFile(const char* path, PolygonsIndexedNormal& mesh) {
    SceneLoadResult result;
    const SceneFileHandle file = openSceneFile(path);
    if (file.fd < 0) {
        result.status =
            file.notRegular ? SceneLoadStatus::notRegularFile : SceneLoadStatus::cannotOpen;
        result.errorNumber = file.errorNumber;
        return result;
    }
    ScenePrimitives scene;
    {
        VextalTest::SceneFileBuffer buffer(file.fd, file.identity.size);
        std::istream stream(&buffer);
        stream.imbue(std::locale::classic());
        StreamSource source(stream);
        result.status = readCommands(source, scene, result.keyword);
    }
    result.scene = scene.summary();
    if (!result.rendered())
        return result;
    tessellate(*scene.selected, mesh);
    computeNormals(mesh);
    return result;
}

} // namespace VextalReference
