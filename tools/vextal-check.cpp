// vextal-check [--json] SCENE_FILE...
// Explains scene files as the loader reads them: the surface selected and
// why, each command with its values and line, tokens that are no command,
// where and why the load stops, what follows "render", the resulting grid,
// and what is wrong with the mesh it gives.

#include "base/EscapedText.h"
#include "cli/CommandLine.h"
#include "mesh/MeshSurvey.h"
#include "mesh/PolygonsIndexedNormal.h"
#include "scene/SceneExplanation.h"

#include <cmath>
#include <cstdio>
#include <new>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace Vextal;

constexpr int exitClean = 0;
constexpr int exitWarnings = 1;
constexpr int exitFailed = 2;

struct Warning {
    std::uint32_t line; // 0: the file as a whole
    std::string text;   // tokens in it quoted escaped
};

// Everything said about one file.
struct Report {
    std::string_view path;
    bool readable = false;
    std::string unreadable; // why the file could not be read, or checked
    SceneExplanation explanation;
    MeshSurvey survey;
    std::vector<Warning> warnings;
};

std::string countOf(std::size_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

void warnAboutSteps(Report& report) {
    const SceneExplanation& e = report.explanation;
    if (!e.selector.empty() && !e.selectorRecognised)
        report.warnings.push_back({e.selectorLine, e.selection});
    for (const SceneStep& step : e.steps) {
        if (!step.suggestion.empty())
            report.warnings.push_back({step.line, quotedToken(step.token, step.tokenLength) +
                                                      " is not a command; did you mean '" +
                                                      step.suggestion + "'?"});
        else if (step.countChanged)
            report.warnings.push_back({step.line, step.note});
    }
}

void warnAboutMesh(Report& report, const PolygonsIndexedNormal& mesh) {
    const SceneExplanation& e = report.explanation;
    const MeshSurvey& s = report.survey;
    if (s.nonFiniteVertices > 0)
        report.warnings.push_back({0, std::to_string(s.nonFiniteVertices) + " of " +
                                          std::to_string(mesh.vertexCount) +
                                          " vertices have NaN or infinite coordinates"});
    if (s.degenerateTriangles > 0)
        report.warnings.push_back(
            {0, countOf(s.degenerateTriangles, "triangle has", "triangles have") + " no area"});
    if (e.scene.closed && !s.watertight())
        report.warnings.push_back({0, "the surface is closed but not watertight: " +
                                          countOf(s.openEdges, "open edge", "open edges") + ", " +
                                          countOf(s.tangledEdges, "edge", "edges") +
                                          " used more than twice or twice the same way"});
    const bool enclosing = e.scene.closed && s.watertight() && s.nonFiniteVertices == 0;
    if (enclosing && mesh.triangleCount > 0 && !(std::fabs(s.volume) > 1e-3 * s.boundingVolume)) {
        std::string text = "the surface encloses almost no volume";
        if (e.surface == SurfaceKind::harmonic && e.scene.thetaMin < 0 && e.scene.thetaMax > 0)
            text += ": the spherical harmonic's theta is measured from the z axis, so theta on "
                    "both sides of 0 covers the surface twice; 'thetarange 0 3.14159265' covers "
                    "it once";
        report.warnings.push_back({0, text});
    }
}

void check(std::string_view path, Report& report) {
    report.path = path;
    SceneBytes read;
    SceneLoadResult refusal;
    if (!readSceneBytes(std::string(path).c_str(), read, refusal)) {
        report.unreadable = refusal.reason();
        return;
    }
    report.readable = true;
    PolygonsIndexedNormal mesh;
    report.explanation = explainScene(read.bytes, &mesh);
    SceneExplanation& e = report.explanation;
    warnAboutSteps(report);
    if (e.rendered()) {
        report.survey = surveyMesh(mesh);
        warnAboutMesh(report, mesh);
    }
}

// A report of a file the memory did not suffice to check. Its texts are
// constants and the path a view: making it allocates nothing.
void outOfMemory(Report& report) {
    report.readable = false;
    report.explanation = SceneExplanation{};
    report.warnings = std::vector<Warning>{};
    report.unreadable = std::string{};
}

constexpr const char* outOfMemoryText = "out of memory: not checked";

std::string_view whyUnread(const Report& report) {
    return report.unreadable.empty() ? outOfMemoryText : report.unreadable;
}

int statusOf(const Report& report) {
    if (!report.readable || !report.explanation.rendered())
        return exitFailed;
    return report.warnings.empty() ? exitClean : exitWarnings;
}

// Output goes through stdio's buffer, piece by piece: writing allocates
// nothing, so what memory there is goes to explaining.
void put(std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
}

// "PATH:LINE: TEXT", the path's bytes escaped and the text made printable.
void putLine(const Report& report, std::uint32_t line, std::string_view text) {
    forEachEscaped(report.path, Backslash::doubled, put);
    if (line > 0) {
        put(":");
        put(std::to_string(line));
    }
    put(": ");
    forEachEscaped(text, Backslash::kept, put);
    put("\n");
}

std::string valuesOf(const SceneStep& step) {
    std::string text;
    for (const float value : step.values)
        text += " " + shortestText(value);
    return text;
}

std::string stepText(const SceneStep& step) {
    if (step.kind == SceneStep::Kind::ignored)
        return quotedToken(step.token, step.tokenLength) + " is not a command, skipped" +
               (step.suggestion.empty() ? "" : "; did you mean '" + step.suggestion + "'?");
    // A count the rule changed says so in place of its value.
    if (step.note.starts_with(step.token + " "))
        return step.note;
    return step.token + valuesOf(step) + (step.note.empty() ? "" : ": ") + step.note;
}

std::string trailingText(const SceneExplanation& e) {
    return (e.trailingCut ? "more than " : "") + countOf(e.trailingBytes, "byte", "bytes") +
           " after 'render', never read";
}

void printText(const Report& report) {
    if (!report.readable) {
        putLine(report, 0, whyUnread(report));
        return;
    }
    const SceneExplanation& e = report.explanation;
    putLine(report, e.selectorLine, e.selection);
    for (const SceneStep& step : e.steps)
        putLine(report, step.line, stepText(step));
    putLine(report, e.stopLine, e.stop);
    if (e.trailingBytes > 0 || e.trailingCut)
        putLine(report, e.trailingLine, trailingText(e));
    putLine(report, 0,
            "grid " + describe(e.scene) + ": " + countOf(e.vertexCount, "vertex", "vertices") +
                ", " + countOf(e.triangleCount, "triangle", "triangles"));
    for (const Warning& warning : report.warnings)
        putLine(report, warning.line, "warning: " + warning.text);
    if (e.rendered() && report.warnings.empty())
        putLine(report, 0, "no warnings");
}

// JSON: texts for a person are printable already; the file's bytes (path,
// tokens) are escaped. Either way every string is strict UTF-8.
void putText(std::string_view text) {
    forEachJsonPiece(text, Backslash::kept, put);
}
void putBytes(std::string_view bytes) {
    forEachJsonPiece(bytes, Backslash::doubled, put);
}
void putKey(const char* key) {
    put(",\"");
    put(key);
    put("\":");
}
void putCount(std::size_t value) {
    put(std::to_string(value));
}
// JSON has no NaN or infinity: those are null.
void putNumber(double value) {
    if (!std::isfinite(value))
        return put("null");
    char text[40];
    std::snprintf(text, sizeof text, "%.9g", value);
    put(text);
}
void putFloat(float value) {
    put(std::isfinite(value) ? shortestText(value) : "null");
}
void putBool(bool value) {
    put(value ? "true" : "false");
}

void putStep(const SceneStep& step) {
    put("{\"line\":");
    putCount(step.line);
    putKey("kind");
    put(step.kind == SceneStep::Kind::command ? "\"command\"" : "\"ignored\"");
    putKey("token");
    putBytes(step.token);
    putKey("tokenBytes");
    putCount(step.tokenLength);
    putKey("values");
    for (std::size_t k = 0; k < step.values.size(); ++k) {
        put(k ? "," : "[");
        putFloat(step.values[k]);
    }
    put(step.values.empty() ? "[]" : "]");
    putKey("note");
    putText(step.note);
    putKey("suggestion");
    putText(step.suggestion);
    put("}");
}

void putSelector(const SceneExplanation& e) {
    put("{\"line\":");
    putCount(e.selectorLine);
    putKey("token");
    putBytes(e.selector);
    putKey("tokenBytes");
    putCount(e.selectorLength);
    putKey("surface");
    putText(surfaceName(e.surface));
    putKey("why");
    putText(e.selection);
    put("}");
}

void putGrid(const SceneExplanation& e) {
    const SceneSummary& g = e.scene;
    put("{\"slices\":");
    putCount(g.sliceCount);
    putKey("rotations");
    putCount(g.rotateCount);
    putKey("closed");
    putBool(g.closed);
    putKey("theta");
    put("[");
    putNumber(double(g.thetaMin));
    put(",");
    putNumber(double(g.thetaMax));
    put("]");
    putKey("phi");
    put("[");
    putNumber(double(g.phiMin));
    put(",");
    putNumber(double(g.phiMax));
    put("]");
    putKey("vertices");
    putCount(e.vertexCount);
    putKey("triangles");
    putCount(e.triangleCount);
    put("}");
}

void putMesh(const MeshSurvey& s) {
    put("{\"nonFiniteVertices\":");
    putCount(s.nonFiniteVertices);
    putKey("degenerateTriangles");
    putCount(s.degenerateTriangles);
    putKey("openEdges");
    putCount(s.openEdges);
    putKey("tangledEdges");
    putCount(s.tangledEdges);
    putKey("volume");
    putNumber(s.volume);
    put("}");
}

void putStop(std::uint32_t line, std::string_view reason) {
    put("{\"line\":");
    putCount(line);
    putKey("reason");
    putText(reason);
    put("}");
}

// One object per file, with the same keys whatever happened to it; what
// could not be known is null, and the stop says why.
void printJson(const Report& report) {
    const SceneExplanation& e = report.explanation;
    const bool explained = report.readable;
    put("{\"file\":");
    putBytes(report.path);
    putKey("loaded");
    putBool(explained && e.rendered());
    putKey("selector");
    explained ? putSelector(e) : put("null");
    putKey("steps");
    put("[");
    for (std::size_t k = 0; k < e.steps.size(); ++k) {
        put(k ? "," : "");
        putStep(e.steps[k]);
    }
    put("]");
    putKey("stop");
    explained ? putStop(e.stopLine, e.stop) : putStop(0, whyUnread(report));
    putKey("trailing");
    if (explained) {
        put("{\"line\":");
        putCount(e.trailingLine);
        putKey("bytes");
        putCount(e.trailingBytes);
        putKey("moreThan");
        putBool(e.trailingCut);
        put("}");
    } else {
        put("null");
    }
    putKey("grid");
    explained ? putGrid(e) : put("null");
    putKey("mesh");
    explained&& e.rendered() ? putMesh(report.survey) : put("null");
    putKey("warnings");
    put("[");
    for (std::size_t k = 0; k < report.warnings.size(); ++k) {
        put(k ? ",{\"line\":" : "{\"line\":");
        putCount(report.warnings[k].line);
        putKey("text");
        putText(report.warnings[k].text);
        put("}");
    }
    put("]}");
}

constexpr const char* operands[] = {"SCENE_FILE", "[SCENE_FILE...]"};
constexpr OptionDescription options[] = {
    {"--json", nullptr, "the same as one JSON array, an object per file, for scripts"},
};

constexpr ProgramDescription program{
    "vextal-check",
    operands,
    "Explain Vextal scene files as the viewer's loader reads them.",
    "For each file: the surface selected and why, each command with its values\n"
    "and its line, tokens that are no command (with the keyword they nearly are),\n"
    "counts the count rule changed, where and why the load stops, what follows\n"
    "'render' (never read), the resulting grid with its vertex and triangle\n"
    "counts, and warnings about the mesh: vertices that are not finite,\n"
    "triangles without area, a closed surface that is not watertight, a surface\n"
    "that encloses almost no volume. The format is in vextal-scene(5).\n",
    options,
    "  0    every file loads, without warnings\n"
    "  1    every file loads, with warnings\n"
    "  2    a file does not load, or the output could not be written\n"
    "  64   usage error\n",
    "A scene with a misspelt command.\n"
    "  vextal-check conf.txt\n",
};

int run(const ParsedCommandLine& line) {
    const bool json = !line.options.empty(); // --json, the only option
    int status = exitClean;
    if (json)
        put("[");
    for (std::size_t k = 0; k < line.operands.size(); ++k) {
        // Each file is written as soon as it is explained, and forgotten.
        Report report;
        try {
            check(line.operands[k], report);
        } catch (const std::bad_alloc&) {
            outOfMemory(report);
            std::fputs("vextal-check: ", stderr);
            forEachEscaped(line.operands[k], Backslash::doubled, [](std::string_view piece) {
                std::fwrite(piece.data(), 1, piece.size(), stderr);
            });
            std::fputs(": out of memory\n", stderr);
        }
        if (json) {
            put(k ? ",\n" : "");
            printJson(report);
        } else {
            try {
                printText(report);
            } catch (const std::bad_alloc&) {
                putLine(report, 0, outOfMemoryText);
                report.readable = false;
            }
        }
        status = std::max(status, statusOf(report));
    }
    if (json)
        put("]\n");
    return status;
}

} // namespace

int main(int argc, char** argv) {
    const ParsedCommandLine line = parseCommandLine(program, argc, argv);
    if (line.exitNow)
        return finishOutput(program, *line.exitNow);
    return finishOutput(program, run(line));
}
