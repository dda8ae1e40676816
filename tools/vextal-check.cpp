// vextal-check [--json] SCENE_FILE...
// Explains scene files as the loader reads them: the surface selected and
// why, each command with its values and line, tokens that are no command,
// where and why the load stops, what follows "render", the resulting grid,
// and what is wrong with the mesh it gives.

#include "cli/CommandLine.h"
#include "mesh/MeshSurvey.h"
#include "mesh/PolygonsIndexedNormal.h"
#include "scene/MeshWarnings.h"
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
    std::string text;
};

// Everything said about one file.
struct Report {
    std::string path;
    bool readable = false;
    std::string unreadable; // why the file could not be read
    SceneExplanation explanation;
    MeshSurvey survey;
    std::vector<Warning> warnings;
};

void warnAboutSteps(Report& report) {
    const SceneExplanation& e = report.explanation;
    if (!e.selector.empty() && !e.selectorRecognised)
        report.warnings.push_back({e.selectorLine, e.selection});
    for (const SceneStep& step : e.steps) {
        if (!step.suggestion.empty())
            report.warnings.push_back(
                {step.line,
                 "'" + step.token + "' is not a command; did you mean '" + step.suggestion + "'?"});
        else if (step.countChanged)
            report.warnings.push_back({step.line, step.note});
    }
}

void warnAboutMesh(Report& report, const PolygonsIndexedNormal& mesh) {
    for (std::string& text : meshWarnings(mesh, report.survey, report.explanation.scene))
        report.warnings.push_back({0, std::move(text)});
}

Report check(const std::string& path) {
    Report report;
    report.path = path;
    SceneBytes read;
    SceneLoadResult refusal;
    if (!readSceneBytes(path.c_str(), read, refusal)) {
        report.unreadable = refusal.reason();
        return report;
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
    return report;
}

int statusOf(const Report& report) {
    if (!report.readable || !report.explanation.rendered())
        return exitFailed;
    return report.warnings.empty() ? exitClean : exitWarnings;
}

std::string at(const Report& report, std::uint32_t line) {
    return line == 0 ? report.path : report.path + ":" + std::to_string(line);
}

std::string valuesOf(const SceneStep& step) {
    std::string text;
    for (const float value : step.values)
        text += " " + shortestText(value);
    return text;
}

void printText(const Report& report) {
    if (!report.readable) {
        std::printf("%s: %s\n", report.path.c_str(), report.unreadable.c_str());
        return;
    }
    const SceneExplanation& e = report.explanation;
    std::printf("%s: %s\n", at(report, e.selectorLine).c_str(), e.selection.c_str());
    for (const SceneStep& step : e.steps) {
        const std::string where = at(report, step.line);
        if (step.kind == SceneStep::Kind::ignored) {
            std::printf("%s: '%s' is not a command, skipped%s%s%s\n", where.c_str(),
                        step.token.c_str(), step.suggestion.empty() ? "" : "; did you mean '",
                        step.suggestion.c_str(), step.suggestion.empty() ? "" : "'?");
            continue;
        }
        // A count the rule changed says so in place of its value.
        if (step.note.starts_with(step.token + " "))
            std::printf("%s: %s\n", where.c_str(), step.note.c_str());
        else
            std::printf("%s: %s%s%s%s\n", where.c_str(), step.token.c_str(), valuesOf(step).c_str(),
                        step.note.empty() ? "" : ": ", step.note.c_str());
    }
    std::printf("%s: %s\n", at(report, e.stopLine).c_str(), e.stop.c_str());
    if (e.trailingBytes > 0)
        std::printf("%s: %zu bytes after 'render', never read\n",
                    at(report, e.trailingLine).c_str(), e.trailingBytes);
    std::printf("%s: grid %s: %u vertices, %u triangles\n", report.path.c_str(),
                describe(e.scene).c_str(), e.vertexCount, e.triangleCount);
    for (const Warning& warning : report.warnings)
        std::printf("%s: warning: %s\n", at(report, warning.line).c_str(), warning.text.c_str());
    if (e.rendered() && report.warnings.empty())
        std::printf("%s: no warnings\n", report.path.c_str());
}

// A JSON string: quotes, backslashes and control bytes escaped; other bytes
// as they are.
std::string quoted(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", unsigned(c));
            out += escape;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

// JSON has no NaN or infinity: those are null.
std::string jsonNumber(double value) {
    if (!std::isfinite(value))
        return "null";
    char text[40];
    std::snprintf(text, sizeof text, "%.9g", value);
    return text;
}

std::string jsonStep(const SceneStep& step) {
    std::string values;
    for (const float value : step.values)
        values += (values.empty() ? "" : ",") +
                  (std::isfinite(value) ? shortestText(value) : std::string("null"));
    return std::string("{\"line\":") + std::to_string(step.line) +
           ",\"kind\":" + (step.kind == SceneStep::Kind::command ? "\"command\"" : "\"ignored\"") +
           ",\"token\":" + quoted(step.token) + ",\"values\":[" + values +
           "],\"note\":" + quoted(step.note) + ",\"suggestion\":" + quoted(step.suggestion) + "}";
}

std::string jsonReport(const Report& report) {
    std::string out = "{\"file\":" + quoted(report.path);
    if (!report.readable)
        return out + ",\"loaded\":false,\"stop\":" + quoted(report.unreadable) + "}";
    const SceneExplanation& e = report.explanation;
    out += ",\"loaded\":" + std::string(e.rendered() ? "true" : "false");
    out += ",\"selector\":{\"line\":" + std::to_string(e.selectorLine) +
           ",\"token\":" + quoted(e.selector) + ",\"surface\":" + quoted(surfaceName(e.surface)) +
           ",\"why\":" + quoted(e.selection) + "}";
    out += ",\"steps\":[";
    for (std::size_t k = 0; k < e.steps.size(); ++k)
        out += (k ? "," : "") + jsonStep(e.steps[k]);
    out += "],\"stop\":{\"line\":" + std::to_string(e.stopLine) + ",\"reason\":" + quoted(e.stop) +
           "}";
    out += ",\"trailing\":{\"line\":" + std::to_string(e.trailingLine) +
           ",\"bytes\":" + std::to_string(e.trailingBytes) + "}";
    const SceneSummary& g = e.scene;
    out += ",\"grid\":{\"slices\":" + std::to_string(g.sliceCount) +
           ",\"rotations\":" + std::to_string(g.rotateCount) +
           ",\"closed\":" + (g.closed ? "true" : "false") + ",\"theta\":[" +
           jsonNumber(g.thetaMin) + "," + jsonNumber(g.thetaMax) + "],\"phi\":[" +
           jsonNumber(g.phiMin) + "," + jsonNumber(g.phiMax) +
           "],\"vertices\":" + std::to_string(e.vertexCount) +
           ",\"triangles\":" + std::to_string(e.triangleCount) + "}";
    if (e.rendered()) {
        const MeshSurvey& s = report.survey;
        out += ",\"mesh\":{\"nonFiniteVertices\":" + std::to_string(s.nonFiniteVertices) +
               ",\"degenerateTriangles\":" + std::to_string(s.degenerateTriangles) +
               ",\"openEdges\":" + std::to_string(s.openEdges) +
               ",\"tangledEdges\":" + std::to_string(s.tangledEdges) +
               ",\"volume\":" + jsonNumber(s.volume) + "}";
    }
    out += ",\"warnings\":[";
    for (std::size_t k = 0; k < report.warnings.size(); ++k)
        out += std::string(k ? "," : "") + "{\"line\":" + std::to_string(report.warnings[k].line) +
               ",\"text\":" + quoted(report.warnings[k].text) + "}";
    return out + "]}";
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
    "  2    a file does not load\n"
    "  64   usage error\n",
    "A scene with a misspelt command.\n"
    "  vextal-check conf.txt\n",
};

int run(int argc, char** argv) {
    const ParsedCommandLine line = parseCommandLine(program, argc, argv);
    if (line.exitNow)
        return *line.exitNow;
    const bool json = !line.options.empty(); // --json, the only option
    const std::vector<std::string> paths(line.operands.begin(), line.operands.end());
    int status = exitClean;
    std::string array;
    for (const std::string& path : paths) {
        const Report report = check(path);
        if (json)
            array += (array.empty() ? "" : ",\n") + jsonReport(report);
        else
            printText(report);
        status = std::max(status, statusOf(report));
    }
    if (json)
        std::printf("[%s]\n", array.c_str());
    return status;
}

} // namespace

int main(int argc, char** argv) {
    try {
        return run(argc, argv);
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "vextal-check: out of memory\n");
        return exitFailed;
    }
}
