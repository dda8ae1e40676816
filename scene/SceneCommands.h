#pragma once

#include "primitives/PrimitiveFormula.h"
#include "primitives/PrimitiveSphericalHarmonic.h"
#include "primitives/PrimitiveSuperShapeToric.h"
#include "scene/SceneLoader.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace Vextal {

// The text of a typed surface's x, y and z lines, and where each starts.
struct FormulaLines {
    std::string text[3] = {"0", "0", "0"};
    int line[3] = {0, 0, 0};
    int column[3] = {1, 1, 1};
};

// The three surfaces of one load, fresh with their defaults, and the two
// targets the selector chooses: the surface that receives the grid commands
// and is tessellated, and the superformula that receives "coef1"/"coef2"
// (the toric one unless the spheric surface is selected).
struct ScenePrimitives {
    PrimitiveSuperShapeToric toric;
    PrimitiveSuperShapeSpheric spheric;
    PrimitiveSphericalHarmonic harmonic;
    PrimitiveFormula formula;
    PrimitiveParametric* selected = &toric;
    PrimitiveSuperShapeSpheric* superformula = &toric;
    SurfaceKind kind = SurfaceKind::toric;
    // Placed on the tessellated mesh; none leaves the mesh as tessellated.
    std::optional<ScenePose> pose;
    // The typed surface's x, y and z as read, with where each starts; and
    // the first error in them or in a "param" line.
    FormulaLines formulaLines;
    std::optional<ExpressionError> formulaError;

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

// The typed surface's own commands, which only a file that selects it has:
// "x", "y", "z" with an expression running to the end of the line, "urange"
// and "vrange" with two numbers, "param" with a name and three numbers.
// Returns the status to stop with, or nothing to read on; `handled` says
// whether the token was one of them.
template <class Source>
std::optional<SceneLoadStatus> readFormulaCommand(Source& source, ScenePrimitives& scene,
                                                  std::string_view token, bool& handled,
                                                  std::string& failedKeyword);

// "x", "y", "z", "urange", "vrange", "param": commands of a typed surface only.
inline bool isFormulaKeyword(std::string_view token) {
    return token == "x" || token == "y" || token == "z" || token == "urange" || token == "vrange" ||
           token == "param";
}

// The most parameters a typed surface may define.
inline constexpr std::size_t maxFormulaParameters = 256;

// Compiles the typed surface's expressions at "render"; the error is kept in
// the scene.
bool compileFormula(ScenePrimitives& scene);

// Checks and applies the values of a "urange"/"vrange" (which: 0 or 1) or a
// "param" line; an error names the line and column of its command.
bool applyFormulaRange(ScenePrimitives& scene, int which, const float* values, int line,
                       int column);
bool applyFormulaParameter(ScenePrimitives& scene, std::string_view name, const float* values,
                           int line, int column);

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
            return scene.kind != SurfaceKind::formula || compileFormula(scene)
                       ? SceneLoadStatus::rendered
                       : SceneLoadStatus::badFormula;
        if (scene.kind == SurfaceKind::formula) {
            bool handled = false;
            if (const auto stop = readFormulaCommand(source, scene, token, handled, failedKeyword))
                return *stop;
            if (handled)
                continue;
        }
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

template <class Source>
std::optional<SceneLoadStatus> readFormulaCommand(Source& source, ScenePrimitives& scene,
                                                  std::string_view token, bool& handled,
                                                  std::string& failedKeyword) {
    const int coordinate = token == "x" ? 0 : token == "y" ? 1 : token == "z" ? 2 : -1;
    const bool range = token == "urange" || token == "vrange";
    const bool parameter = token == "param";
    handled = coordinate >= 0 || range || parameter;
    if (!handled)
        return std::nullopt;
    const std::string keyword(token);
    int line = 0, column = 0;
    if (coordinate >= 0) {
        std::string text;
        if (!source.restOfLine(text, line, column)) {
            failedKeyword = keyword;
            return SceneLoadStatus::endedBeforeRender;
        }
        std::vector<std::string> names;
        for (const FormulaParameter& p : scene.formula.definition.parameters)
            names.push_back(p.name);
        ExprParse parsed = parseExpression(text, names, {line, column});
        if (parsed.error) {
            scene.formulaError = std::move(parsed.error);
            return SceneLoadStatus::badFormula;
        }
        FormulaLines& lines = scene.formulaLines;
        lines.text[coordinate] = std::move(text);
        lines.line[coordinate] = line;
        lines.column[coordinate] = column;
        return std::nullopt;
    }
    std::string name;
    if (parameter) {
        std::string_view word;
        source.place(line, column);
        if (!source.nextToken(word)) {
            failedKeyword = keyword;
            return SceneLoadStatus::endedBeforeRender;
        }
        name = word;
    } else {
        source.place(line, column);
    }
    float values[3];
    for (int k = 0; k < (range ? 2 : 3); ++k) {
        const NumberRead read = source.nextNumber(values[k]);
        if (read != NumberRead::read) {
            failedKeyword = keyword;
            return read == NumberRead::endedInput ? SceneLoadStatus::endedBeforeRender
                                                  : SceneLoadStatus::badValue;
        }
    }
    const bool applied =
        range ? applyFormulaRange(scene, token == "urange" ? 0 : 1, values, line, column)
              : applyFormulaParameter(scene, name, values, line, column);
    if (!applied)
        return SceneLoadStatus::badFormula;
    return std::nullopt;
}

} // namespace Vextal
