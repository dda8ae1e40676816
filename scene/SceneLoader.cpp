#include "scene/SceneLoader.h"
#include "scene/ScenePose.h"

#include "base/EscapedText.h"
#include "mesh/PolygonsIndexedNormal.h"
#include "scene/SceneCommands.h"
#include "scene/SceneFile.h"
#include "scene/SceneFileMemory.h"
#include "scene/SceneState.h"
#include "scene/SceneTokenReader.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace Vextal {

const char* surfaceName(SurfaceKind kind) {
    switch (kind) {
    case SurfaceKind::spheric:
        return "spheric superformula";
    case SurfaceKind::toric:
        return "toroidal superformula";
    case SurfaceKind::harmonic:
        return "spherical harmonic";
    case SurfaceKind::formula:
        return "typed surface";
    }
    return "?";
}

std::string describe(const SceneSummary& scene) {
    char text[200];
    std::snprintf(
        text, sizeof text, "%s, %u slices x %u rotations, %s, theta %.9g..%.9g, phi %.9g..%.9g",
        surfaceName(scene.surface), unsigned(scene.sliceCount), unsigned(scene.rotateCount),
        scene.closed ? "closed" : "open", double(scene.thetaMin), double(scene.thetaMax),
        double(scene.phiMin), double(scene.phiMax));
    return text;
}

std::string formulaErrorText(const ExpressionError& error) {
    std::string text =
        "line " + std::to_string(error.line) + ", column " + std::to_string(error.column) + ": ";
    if (!error.token.empty())
        text += "\"" + printable(error.token) + "\" ";
    return text + error.message;
}

std::string SceneLoadResult::reason() const {
    switch (status) {
    case SceneLoadStatus::rendered:
        return "loaded";
    case SceneLoadStatus::cannotOpen:
        return std::string("cannot be read: ") + std::strerror(errorNumber);
    case SceneLoadStatus::notRegularFile:
        return errorNumber == EISDIR ? "is a directory, not a scene file" : "is not a regular file";
    case SceneLoadStatus::endedBeforeRender:
        if (!keyword.empty())
            return "ends before \"render\" (\"" + keyword + "\" is missing its values)";
        return "ends before \"render\"";
    case SceneLoadStatus::badValue:
        return "a value of \"" + keyword + "\" is not a number";
    case SceneLoadStatus::changedWhileRead:
        return "was saved again while it was read";
    case SceneLoadStatus::noRenderInReach:
        return "no \"render\" in the first 1 MiB";
    case SceneLoadStatus::badFormula:
        return formulaError ? formulaErrorText(*formulaError) : "a formula is wrong";
    }
    return "unknown";
}

void refuseUnopened(const SceneFileHandle& file, SceneLoadResult& result) {
    result.status = file.notRegular ? SceneLoadStatus::notRegularFile : SceneLoadStatus::cannotOpen;
    result.errorNumber = file.errorNumber;
}

namespace {

// The command list, and how it ended: an input that ended at the reader's
// limit had no "render" in reach.
SceneLoadStatus readScene(SceneTokenReader& reader, ScenePrimitives& scene, std::string& keyword) {
    const SceneLoadStatus status = readCommands(reader, scene, keyword);
    if (status == SceneLoadStatus::endedBeforeRender && reader.reachedLimit())
        return SceneLoadStatus::noRenderInReach;
    return status;
}

// Once the commands reached "render", rebuilds the mesh from the selected surface.
void build(SceneLoadResult& result, ScenePrimitives& scene, PolygonsIndexedNormal& mesh,
           const MeshBuild& how) {
    scene.formula.time = how.time;
    result.scene = scene.summary();
    result.values = scene.values();
    result.formulaError = scene.formulaError;
    if (!result.rendered())
        return;
    if (!how.grid) {
        scene.selected->tessellate(mesh);
        mesh.computeNormals();
    } else {
        scene.selected->tessellateGrid(mesh, *how.grid, how.workers);
        mesh.computeNormals(how.workers);
    }
    if (scene.pose)
        applyPose(*scene.pose, mesh);
    if (!how.grid)
        return;
    result.scene.sliceCount = std::uint16_t(how.grid->slices);
    result.scene.rotateCount = std::uint16_t(how.grid->rotations);
}

SceneLoadResult load(const char* path, PolygonsIndexedNormal& mesh, SceneFileMemory* memory,
                     const MeshBuild& how) {
    SceneLoadResult result;
    ScenePrimitives scene;
    if (const std::string* remembered = memory ? memory->recall(path) : nullptr) {
        SceneTokenReader reader(*remembered);
        result.status = readScene(reader, scene, result.keyword);
        build(result, scene, mesh, how);
        return result;
    }
    const SceneFileHandle file = openSceneFile(path);
    if (file.fd < 0) {
        refuseUnopened(file, result);
        if (memory)
            memory->forget();
        return result;
    }
    {
        // The reader owns the descriptor and closes it when reading stops,
        // before the tessellation starts.
        char buffer[SceneTokenReader::bufferSize];
        SceneTokenReader reader(file.fd, file.identity.size, buffer, sizeof buffer);
        result.status = readScene(reader, scene, result.keyword);
        // Checked while the file is still open: a save in place during the
        // read may have mixed two versions; the next load reads the new one.
        if (result.rendered() && sceneFileChangedSinceOpened(file))
            result.status = SceneLoadStatus::changedWhileRead;
        if (memory) {
            const std::optional<std::string_view> whole = reader.wholeFile();
            if (result.rendered() && whole)
                memory->remember(path, file, *whole);
            else
                memory->forget();
        }
    }
    build(result, scene, mesh, how);
    return result;
}

} // namespace

SceneLoadResult loadSceneFile(const char* path, PolygonsIndexedNormal& mesh) {
    return load(path, mesh, nullptr, MeshBuild{});
}

SceneLoadResult loadSceneFile(const char* path, PolygonsIndexedNormal& mesh,
                              SceneFileMemory& memory) {
    return load(path, mesh, &memory, MeshBuild{});
}

SceneLoadResult loadSceneFile(const char* path, PolygonsIndexedNormal& mesh,
                              const MeshBuild& build) {
    return load(path, mesh, nullptr, build);
}

SceneLoadResult loadSceneText(std::string_view text, PolygonsIndexedNormal& mesh,
                              const MeshBuild& how) {
    SceneLoadResult result;
    ScenePrimitives scene;
    SceneTokenReader reader(text);
    result.status = readScene(reader, scene, result.keyword);
    build(result, scene, mesh, how);
    return result;
}

void loadScene() {
    SceneState& scene = sceneState();
    const SceneLoadResult loaded =
        loadSceneFile(scene.scenePath.c_str(), scene.sceneMesh, scene.sceneFileMemory);
    if (loaded.rendered())
        scene.meshValues = loaded.values;
}

} // namespace Vextal
