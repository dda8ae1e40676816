#include "scene/SceneReport.h"

#include "mesh/PolygonsIndexedNormal.h"

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
    const SceneExplanation& e = report.explanation;
    const MeshSurvey& s = report.survey;
    if (s.nonFiniteVertices > 0)
        report.warnings.push_back(SceneWarning{
            0, std::to_string(s.nonFiniteVertices) + " of " + std::to_string(mesh.vertexCount) +
                   " vertices have NaN or infinite coordinates"});
    if (s.degenerateTriangles > 0)
        report.warnings.push_back(
            {0, countOf(s.degenerateTriangles, "triangle has", "triangles have") + " no area"});
    if (e.scene.closed && !s.watertight())
        report.warnings.push_back(
            SceneWarning{0, "the surface is closed but not watertight: " +
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
        report.warnings.push_back(SceneWarning{0, text});
    }
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
