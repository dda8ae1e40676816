#include "scene/SceneReport.h"

#include "mesh/PolygonsIndexedNormal.h"
#include "scene/MeshWarnings.h"

#include <cmath>
#include <string>

namespace Vextal {

namespace {

void warnAboutSteps(SceneReport& report) {
    const SceneExplanation& e = report.explanation;
    if (!e.selector.empty() && !e.selectorRecognised)
        report.warnings.push_back(SceneWarning{e.selectorLine, e.selection});
    for (const SceneStep& step : e.steps) {
        if (!step.suggestion.empty())
            report.warnings.push_back(SceneWarning{
                step.line, quotedToken(step.token, step.tokenLength) +
                               " is not a command; did you mean '" + step.suggestion + "'?"});
        else if (step.countChanged)
            report.warnings.push_back(SceneWarning{step.line, step.note});
    }
}

void warnAboutMesh(SceneReport& report, const PolygonsIndexedNormal& mesh) {
    for (std::string& text : meshWarnings(mesh, report.survey, report.explanation.scene))
        report.warnings.push_back(SceneWarning{0, std::move(text)});
}

// A watertight mesh uses every edge twice, so E = 3 F / 2 and V - E + F =
// V - F / 2; Gauss-Bonnet gives the same number from the formula's total
// curvature, unless the closed mesh is not the surface the formula describes
// (a torus capped at poles that meet, a surface folded through itself). Only
// a settled total can tell.
void warnAboutTopology(SceneReport& report, const PolygonsIndexedNormal& mesh) {
    if (!report.survey.watertight() || report.survey.nonFiniteVertices > 0 ||
        !report.curvature.settled || report.curvature.concentrated)
        return;
    const long meshCharacteristic = long(mesh.vertexCount) - long(mesh.triangleCount) / 2;
    if (meshCharacteristic == report.curvature.eulerCharacteristic)
        return;
    report.warnings.push_back(SceneWarning{
        0, "the total curvature gives Euler characteristic " +
               std::to_string(report.curvature.eulerCharacteristic) +
               ", but the closed mesh has V - E + F = " + std::to_string(meshCharacteristic) +
               ": the surface is not the closed surface the file claims"});
}

} // namespace

std::string countOf(std::size_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

void checkSceneBytes(std::string_view path, std::string_view bytes, SceneReport& report) {
    report.path = path;
    report.readable = true;
    PolygonsIndexedNormal mesh;
    report.explanation = explainScene(bytes, &mesh);
    SceneExplanation& e = report.explanation;
    warnAboutSteps(report);
    if (e.rendered()) {
        report.survey = surveyMesh(mesh);
        warnAboutMesh(report, mesh);
        report.curvature = surveyCurvature(e.values, mesh);
        warnAboutTopology(report, mesh);
    }
}

void checkSceneFile(std::string_view path, SceneReport& report) {
    report.path = path;
    SceneBytes read;
    SceneLoadResult refusal;
    if (!readSceneBytes(std::string(path).c_str(), read, refusal)) {
        report.unreadable = refusal.reason();
        return;
    }
    checkSceneBytes(path, read.bytes, report);
}

void forgetForLackOfMemory(SceneReport& report) {
    report.readable = false;
    report.explanation = SceneExplanation{};
    report.warnings = std::vector<SceneWarning>{};
    report.unreadable = std::string{};
}

} // namespace Vextal
