#include "panel/SceneEditor.h"

#include "mesh/MeshSurvey.h"
#include "mesh/PolygonsIndexedNormal.h"
#include "meshfiles/WeldForPrinting.h"
#include "output/OutputFile.h"
#include "panel/FreshName.h"
#include "scene/MeshWarnings.h"
#include "scene/SceneExplanation.h"
#include "scene/SceneLoader.h"

#include <chrono>

namespace Vextal {

namespace {

double millisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

// Writes through the one safe writer: the old file stays unless the new one
// is complete. Returns an empty string when written, else why not.
template <typename Write> std::string writeFile(const std::string& target, Write write) {
    OutputFile out(target);
    std::string problem = out.error();
    if (problem.empty())
        problem = write(out.stream());
    if (problem.empty() && !out.commit())
        problem = out.error();
    return problem;
}

} // namespace

SceneEditor::SceneEditor(std::string scenePath, PolygonsIndexedNormal& mesh)
    : path(std::move(scenePath)), mesh(mesh) {}

std::uint32_t SceneEditor::vertexCount() const {
    return mesh.vertexCount;
}

std::uint32_t SceneEditor::triangleCount() const {
    return mesh.triangleCount;
}

bool SceneEditor::takeMeshChange() {
    const bool changed = meshChanged;
    meshChanged = false;
    return changed;
}

void SceneEditor::noteLoaded() {
    meshChanged = true;
    warningsStale = true;
}

void SceneEditor::surveyIfStale() {
    if (!warningsStale)
        return;
    warningsStale = false;
    meshWarningLines = meshWarnings(mesh, surveyMesh(mesh), summary);
}

bool SceneEditor::loadValues(const SceneValues& values) {
    const auto start = std::chrono::steady_clock::now();
    const SceneLoadResult loaded = loadSceneText(sceneText(values), mesh);
    lastLoadMilliseconds = millisecondsSince(start);
    if (!loaded.rendered()) {
        message = "not applied: " + loaded.reason();
        return false;
    }
    current = loaded.values;
    summary = loaded.scene;
    message.clear();
    noteLoaded();
    return true;
}

bool SceneEditor::edit(const SceneValues& edited) {
    return edited == current || loadValues(edited);
}

void SceneEditor::commitEdit(const SceneValues& before) {
    if (before == current)
        return;
    undoSteps.push_back(before);
    redoSteps.clear();
}

void SceneEditor::undo() {
    if (undoSteps.empty())
        return;
    const SceneValues now = current;
    if (loadValues(undoSteps.back())) {
        undoSteps.pop_back();
        redoSteps.push_back(now);
    }
}

void SceneEditor::redo() {
    if (redoSteps.empty())
        return;
    const SceneValues now = current;
    if (loadValues(redoSteps.back())) {
        redoSteps.pop_back();
        undoSteps.push_back(now);
    }
}

void SceneEditor::readFile() {
    const auto start = std::chrono::steady_clock::now();
    const SceneLoadResult loaded = loadSceneFile(path.c_str(), mesh);
    lastLoadMilliseconds = millisecondsSince(start);
    changedOnDisk = false;
    current = fileValues = loaded.values;
    if (!loaded.rendered()) {
        message = explainFailedLoad(path.c_str(), loaded);
        return;
    }
    summary = loaded.scene;
    message.clear();
    noteLoaded();
}

void SceneEditor::revert() {
    const SceneValues before = current;
    readFile();
    commitEdit(before);
}

void SceneEditor::fileSaved() {
    if (unsaved())
        changedOnDisk = true;
    else
        readFile();
}

bool SceneEditor::writeScene(const std::string& target) {
    const std::string text = sceneText(current);
    const std::string problem = writeFile(target, [&](std::FILE* out) {
        std::fwrite(text.data(), 1, text.size(), out);
        return std::string();
    });
    message = problem.empty() ? "saved " + target : "not saved: " + target + ": " + problem;
    return problem.empty();
}

bool SceneEditor::save() {
    if (!writeScene(path))
        return false;
    fileValues = current;
    changedOnDisk = false;
    return true;
}

bool SceneEditor::saveAs(const std::string& other) {
    if (other.empty()) {
        message = "not saved: give a file name";
        return false;
    }
    return writeScene(other);
}

bool SceneEditor::writePicture(const RgbaPicture& picture) {
    const std::string target = freshNameBeside(path, "png");
    const std::string problem = writeFile(target, [&](std::FILE* out) {
        return writePng(out, picture, "vextal: " + describe(summary));
    });
    message = problem.empty() ? "wrote " + target : "not written: " + target + ": " + problem;
    return problem.empty();
}

bool SceneEditor::writeMesh(const MeshFormat& format, bool weld) {
    PolygonsIndexedNormal written;
    const SceneLoadResult loaded = loadSceneText(sceneText(current), written);
    std::string problem = loaded.rendered() ? std::string() : loaded.reason();
    if (problem.empty() && weld)
        weldForPrinting(written, loaded.scene);
    if (problem.empty() && format.check)
        problem = format.check(written);
    const std::string target = freshNameBeside(path, std::string(format.name));
    if (problem.empty())
        problem = writeFile(target, [&](std::FILE* out) {
            format.write(out, written, "vextal: " + describe(loaded.scene));
            return std::string();
        });
    message = problem.empty() ? "wrote " + target : "not written: " + target + ": " + problem;
    return problem.empty();
}

} // namespace Vextal
