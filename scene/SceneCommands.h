#pragma once

#include "primitives/PrimitiveSphericalHarmonic.h"
#include "primitives/PrimitiveSuperShapeToric.h"
#include "scene/SceneLoader.h"

#include <span>
#include <string>
#include <string_view>

namespace Vextal {

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
    // Placed on the tessellated mesh; none leaves the mesh as tessellated.
    std::optional<ScenePose> pose;

    ScenePrimitives() = default;
    ScenePrimitives(const ScenePrimitives&) = delete;
    ScenePrimitives& operator=(const ScenePrimitives&) = delete;

    void select(std::string_view token);
    SceneSummary summary() const;
    SceneValues values() const;
};

// A keyword, how many numbers follow it, and what it does with them.
struct SceneCommand {
    std::string_view keyword;
    int valueCount;
    void (*apply)(ScenePrimitives& scene, const float* values);
};

// The command a token names; null for any token that is no keyword.
const SceneCommand* findCommand(std::string_view token);

// Every command, in the order the loader compares a token with them.
std::span<const SceneCommand> sceneCommands();

// The tokens that select a surface, and the surface each selects.
struct SceneSelector {
    std::string_view token;
    SurfaceKind surface;
};
std::span<const SceneSelector> sceneSelectors();

// How reading one number ended, as std::istream >> float reports it: read;
// failed with the end of input reached (eofbit); failed before it.
enum class NumberRead { read, endedInput, rejected };

// Reads the command list up to "render" from a source of tokens and numbers
// (nextToken(std::string_view&) -> bool, nextNumber(float&) -> NumberRead).
// Returns rendered when it got there, otherwise why reading stopped; a command
// whose values could not all be read names itself in failedKeyword and
// changes nothing.
template <class Source>
SceneLoadStatus readCommands(Source& source, ScenePrimitives& scene, std::string& failedKeyword) {
    std::string_view token;
    scene.select(source.nextToken(token) ? token : std::string_view());
    while (source.nextToken(token)) {
        if (token == "render")
            return SceneLoadStatus::rendered;
        const SceneCommand* command = findCommand(token);
        if (!command)
            continue;
        float values[8];
        for (int i = 0; i < command->valueCount; ++i) {
            const NumberRead read = source.nextNumber(values[i]);
            if (read != NumberRead::read) {
                failedKeyword = command->keyword;
                return read == NumberRead::endedInput ? SceneLoadStatus::endedBeforeRender
                                                      : SceneLoadStatus::badValue;
            }
        }
        command->apply(scene, values);
    }
    return SceneLoadStatus::endedBeforeRender;
}

} // namespace Vextal
