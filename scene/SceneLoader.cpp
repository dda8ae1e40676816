#include "scene/SceneLoader.h"

#include "mesh/PolygonsIndexedNormal.h"
#include "primitives/PrimitiveSphericalHarmonic.h"
#include "primitives/PrimitiveSuperShapeToric.h"
#include "scene/SceneFile.h"
#include "scene/SceneRules.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <istream>
#include <locale>
#include <string_view>

namespace Vextal {

namespace {

// The three surfaces of one load, fresh with their defaults, and the two
// targets the selector chooses: the surface that receives the grid commands
// and is tessellated, and the superformula that receives "coef1"/"coef2"
// (the toric one unless the spheric surface is selected).
struct ScenePrimitives {
    PrimitiveSuperShapeToric toric;
    PrimitiveSuperShapeSpheric spheric;
    PrimitiveSphericalHarmonic harmonic;
    PrimitiveParametric* selected = &toric;
    PrimitiveSuperShapeSpheric* superformula = &toric;
    SurfaceKind kind = SurfaceKind::toric;

    void select(std::string_view token) {
        if (token == "\"sss") {
            selected = &spheric;
            superformula = &spheric;
            kind = SurfaceKind::spheric;
        } else if (token == "\"sh") {
            selected = &harmonic;
            kind = SurfaceKind::harmonic;
        }
    }

    SceneSummary summary() const {
        return {kind,
                selected->sliceCount,
                selected->rotateCount,
                selected->closed,
                selected->phiMin,
                selected->phiMax,
                selected->thetaMin,
                selected->thetaMax};
    }
};

SuperShapeCoefficients coefficientsFrom(const float* v) {
    return {v[0], v[1], v[2], v[3], v[4], v[5]};
}

struct Command {
    std::string_view keyword;
    int valueCount;
    void (*apply)(ScenePrimitives& scene, const float* values);
};

constexpr Command commands[] = {
    {"slice", 1, [](ScenePrimitives& s, const float* v) { s.selected->sliceCount = countRule(v[0]); }},
    {"rotate", 1, [](ScenePrimitives& s, const float* v) { s.selected->rotateCount = countRule(v[0]); }},
    {"close", 0, [](ScenePrimitives& s, const float*) { s.selected->closed = true; }},
    {"dontclose", 0, [](ScenePrimitives& s, const float*) { s.selected->closed = false; }},
    {"phirange", 2,
     [](ScenePrimitives& s, const float* v) {
         const AngleRange range = rangeRule(v[0], v[1]);
         s.selected->phiMin = range.start;
         s.selected->phiMax = range.end;
     }},
    {"thetarange", 2,
     [](ScenePrimitives& s, const float* v) {
         const AngleRange range = rangeRule(v[0], v[1]);
         s.selected->thetaMin = range.start;
         s.selected->thetaMax = range.end;
     }},
    {"coef1", 6, [](ScenePrimitives& s, const float* v) { s.superformula->setCoef1(coefficientsFrom(v)); }},
    {"coef2", 6, [](ScenePrimitives& s, const float* v) { s.superformula->setCoef2(coefficientsFrom(v)); }},
    {"coefh", 8,
     [](ScenePrimitives& s, const float* v) {
         std::copy(v, v + 8, s.harmonic.coefh.begin());
     }},
};

const Command* findCommand(std::string_view token) {
    for (const Command& command : commands)
        if (command.keyword == token)
            return &command;
    return nullptr;
}

// Reads the command list up to "render". Returns rendered when it got there;
// otherwise the reason reading stopped.
SceneLoadStatus readCommands(std::istream& stream, ScenePrimitives& scene,
                             std::string& failedKeyword) {
    std::string token;
    scene.select(stream >> token ? std::string_view(token) : std::string_view());
    while (stream >> token) {
        if (token == "render")
            return SceneLoadStatus::rendered;
        const Command* command = findCommand(token);
        if (!command)
            continue;
        float values[8];
        for (int i = 0; i < command->valueCount; ++i) {
            if (!(stream >> values[i])) {
                failedKeyword = command->keyword;
                return stream.eof() ? SceneLoadStatus::endedBeforeRender
                                    : SceneLoadStatus::badValue;
            }
        }
        command->apply(scene, values);
    }
    return SceneLoadStatus::endedBeforeRender;
}

} // namespace

const char* surfaceName(SurfaceKind kind) {
    switch (kind) {
    case SurfaceKind::spheric:
        return "PrimitiveSuperShapeSpheric";
    case SurfaceKind::toric:
        return "PrimitiveSuperShapeToric";
    case SurfaceKind::harmonic:
        return "PrimitiveSphericalHarmonic";
    }
    return "?";
}

std::string describe(const SceneSummary& scene) {
    char text[200];
    std::snprintf(text, sizeof text, "%s, %u slices x %u rotations, %s, theta %.9g..%.9g, phi %.9g..%.9g",
                  surfaceName(scene.surface), unsigned(scene.sliceCount), unsigned(scene.rotateCount),
                  scene.closed ? "closed" : "open", double(scene.thetaMin), double(scene.thetaMax),
                  double(scene.phiMin), double(scene.phiMax));
    return text;
}

std::string SceneLoadResult::reason() const {
    switch (status) {
    case SceneLoadStatus::rendered:
        return "loaded";
    case SceneLoadStatus::cannotOpen:
        return std::string("cannot be read: ") + std::strerror(errorNumber);
    case SceneLoadStatus::notRegularFile:
        return errorNumber == EISDIR ? "is a directory, not a scene file"
                                     : "is not a regular file";
    case SceneLoadStatus::endedBeforeRender:
        if (!keyword.empty())
            return "ends before \"render\" (\"" + keyword + "\" is missing its values)";
        return "ends before \"render\"";
    case SceneLoadStatus::badValue:
        return "a value of \"" + keyword + "\" is not a number";
    case SceneLoadStatus::changedWhileRead:
        return "was saved again while it was read";
    }
    return "unknown";
}

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
        // The buffer owns the descriptor and closes it when reading stops,
        // before the tessellation starts.
        SceneFileBuffer buffer(file.fd, file.size);
        std::istream stream(&buffer);
        stream.imbue(std::locale::classic());
        result.status = readCommands(stream, scene, result.keyword);
        // Checked while the file is still open: a save in place during the
        // read may have mixed two versions; the next load reads the new one.
        if (result.rendered() && sceneFileChangedSinceOpened(file))
            result.status = SceneLoadStatus::changedWhileRead;
    }
    result.scene = scene.summary();
    if (!result.rendered())
        return result;
    scene.selected->tessellate(mesh);
    mesh.computeNormals();
    return result;
}

void loadScene() { loadSceneFile("conf.txt", sceneMesh); }

} // namespace Vextal
