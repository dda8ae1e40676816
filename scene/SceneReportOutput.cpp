#include "scene/SceneReport.h"

#include "base/EscapedText.h"

#include <cmath>
#include <numbers>
#include <string>

namespace Vextal {

namespace {

constexpr const char* outOfMemoryText = "out of memory: not checked";

std::string_view whyUnread(const SceneReport& report) {
    if (report.unreadable.empty())
        return outOfMemoryText;
    return report.unreadable;
}

// Writes a report through stdio's buffer, piece by piece. The JSON allocates
// nothing (numbers fit the strings' own room), so it can be written whatever
// memory is left; the text builds each line first.
class ReportWriter {
public:
    explicit ReportWriter(std::FILE* file) : file(file) {}

    void put(std::string_view text) { std::fwrite(text.data(), 1, text.size(), file); }

    // "PATH:LINE: TEXT", the path's bytes escaped and the text made printable.
    void putLine(const SceneReport& report, std::uint32_t line, std::string_view text) {
        forEachEscaped(report.path, Backslash::doubled,
                       [this](std::string_view piece) { put(piece); });
        if (line > 0) {
            put(":");
            put(std::to_string(line));
        }
        put(": ");
        forEachEscaped(text, Backslash::kept, [this](std::string_view piece) { put(piece); });
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

    static std::string number(double value) {
        char text[40];
        std::snprintf(text, sizeof text, "%.9g", value);
        return text;
    }

    static std::string shortNumber(double value) {
        char text[40];
        std::snprintf(text, sizeof text, "%.2g", value);
        return text;
    }

    // "curvature: K 1..1, H 1..1 (2 points left out: not finite), total K dA
    // 12.5663706 = 2 pi x 2 (settled, to about 1.2e-12 turns), Euler
    // characteristic 2".
    std::string curvatureText(const CurvatureSurvey& c) {
        std::string text = "curvature: K " + number(c.gaussianMin) + ".." + number(c.gaussianMax) +
                           ", H " + number(c.meanMin) + ".." + number(c.meanMax);
        if (c.pointsLeftOut > 0)
            text += " (" + countOf(c.pointsLeftOut, "point", "points") + " left out: not finite)";
        const double turn = 2 * std::numbers::pi;
        text += ", total K dA " + number(c.gaussianTotal) + " = 2 pi x " +
                number(c.gaussianTotal / turn) +
                (c.settled ? " (settled, to about " : " (not settled: uncertain by about ") +
                shortNumber(c.gaussianTotalError / turn) + " turns), Euler characteristic " +
                std::to_string(c.eulerCharacteristic);
        if (c.concentrated)
            text += " (not the surface's: curvature concentrated on kinks or singular points is "
                    "not in the total)";
        return text;
    }

    std::string trailingText(const SceneExplanation& e) {
        return (e.trailingCut ? "more than " : "") + countOf(e.trailingBytes, "byte", "bytes") +
               " after 'render', never read";
    }

    void printText(const SceneReport& report) {
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
        // Counts only for a mesh that was built: a stopped load builds none.
        putLine(report, 0,
                "grid " + describe(e.scene) + ": " +
                    (e.rendered() ? countOf(e.vertexCount, "vertex", "vertices") + ", " +
                                        countOf(e.triangleCount, "triangle", "triangles")
                                  : "not built"));
        if (e.rendered())
            putLine(report, 0, curvatureText(report.curvature));
        for (const SceneWarning& warning : report.warnings)
            putLine(report, warning.line, "warning: " + warning.text);
        if (e.rendered() && report.warnings.empty())
            putLine(report, 0, "no warnings");
    }

    // JSON: texts for a person are printable already; the file's bytes (path,
    // tokens) are escaped. Either way every string is strict UTF-8.
    void putText(std::string_view text) {
        forEachJsonPiece(text, Backslash::kept, [this](std::string_view piece) { put(piece); });
    }
    void putBytes(std::string_view bytes) {
        forEachJsonPiece(bytes, Backslash::doubled, [this](std::string_view piece) { put(piece); });
    }
    void putKey(const char* key) {
        put(",\"");
        put(key);
        put("\":");
    }
    void putCount(std::size_t value) { put(std::to_string(value)); }
    // JSON has no NaN or infinity: those are null.
    void putNumber(double value) {
        if (!std::isfinite(value))
            return put("null");
        char text[40];
        std::snprintf(text, sizeof text, "%.9g", value);
        put(text);
    }
    void putFloat(float value) { put(std::isfinite(value) ? shortestText(value) : "null"); }
    void putBool(bool value) { put(value ? "true" : "false"); }
    void putRange(float low, float high) {
        put("[");
        putNumber(double(low));
        put(",");
        putNumber(double(high));
        put("]");
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
        putRange(g.thetaMin, g.thetaMax);
        putKey("phi");
        putRange(g.phiMin, g.phiMax);
        putKey("vertices");
        e.rendered() ? putCount(e.vertexCount) : put("null");
        putKey("triangles");
        e.rendered() ? putCount(e.triangleCount) : put("null");
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

    void putCurvature(const CurvatureSurvey& c) {
        put("{\"gaussianMin\":");
        putNumber(c.gaussianMin);
        putKey("gaussianMax");
        putNumber(c.gaussianMax);
        putKey("meanMin");
        putNumber(c.meanMin);
        putKey("meanMax");
        putNumber(c.meanMax);
        putKey("gaussianTotal");
        putNumber(c.gaussianTotal);
        putKey("gaussianTotalError");
        putNumber(c.gaussianTotalError);
        putKey("settled");
        putBool(c.settled);
        putKey("eulerCharacteristic");
        put(std::to_string(c.eulerCharacteristic));
        putKey("pointsLeftOut");
        putCount(c.pointsLeftOut);
        putKey("concentrated");
        putBool(c.concentrated);
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
    void printJson(const SceneReport& report) {
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
        (explained && e.rendered()) ? putMesh(report.survey) : put("null");
        putKey("curvature");
        (explained && e.rendered()) ? putCurvature(report.curvature) : put("null");
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

private:
    std::FILE* file;
};

} // namespace

void writeReportText(std::FILE* file, const SceneReport& report) {
    ReportWriter(file).printText(report);
}

void writeReportJson(std::FILE* file, const SceneReport& report) {
    ReportWriter(file).printJson(report);
}

} // namespace Vextal
