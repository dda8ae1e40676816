#include "panel/SceneEditor.h"

#include "mesh/MeshSurvey.h"
#include "mesh/PolygonsIndexedNormal.h"
#include "meshfiles/WeldForPrinting.h"
#include "output/OutputFile.h"
#include "panel/FreshName.h"
#include "scene/MeshWarnings.h"
#include "scene/SceneExplanation.h"
#include "scene/SceneLoader.h"

#include "base/EscapedText.h"
#include "output/OutputTarget.h"

#include <cerrno>
#include <chrono>
#include <filesystem>

namespace Vextal {

namespace {

double millisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

// What a file holding only "render" draws: the loader's defaults.
SceneValues loaderDefaults() {
    PolygonsIndexedNormal unused;
    return loadSceneText("render", unused).values;
}

// Writes through the one safe writer: the old file stays unless the new one
// is complete. Only a regular file (or a new one) is written: a FIFO or a
// device would block the window until another program reads it. Returns an
// empty string when written, else why not.
template <typename Write> std::string writeFile(const std::string& target, Write write) {
    OutputFile out(target, {.input = {}, .unnamedTemporary = true, .regularOnly = true});
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
    drawn = true;
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
    lastEditRefused = !(edited == current || loadValues(edited));
    return !lastEditRefused;
}

void SceneEditor::commitEdit(const SceneValues& before) {
    if (lastEditRefused) {
        // The change ended on a value the loader refused: none of it stays.
        lastEditRefused = false;
        const std::string why = message;
        if (!(before == current))
            loadValues(before);
        message = why;
        return;
    }
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
    fileLoads = loaded.rendered();
    if (!fileLoads) {
        message = explainFailedLoad(path.c_str(), loaded);
        if (!drawn)
            startWithoutSurface(loaded);
        return;
    }
    current = fileValues = loaded.values;
    summary = loaded.scene;
    message.clear();
    noteLoaded();
}

// Nothing drawn yet: a new scene starts from the loader's defaults, drawn; a
// broken one shows what the file set, for the user to mend.
void SceneEditor::startWithoutSurface(const SceneLoadResult& loaded) {
    const bool missing =
        loaded.status == SceneLoadStatus::cannotOpen && loaded.errorNumber == ENOENT;
    if (!missing) {
        current = fileValues = loaded.values;
        return;
    }
    const std::string why = message;
    if (loadValues(loaderDefaults()))
        fileValues = current;
    message = why;
}

void SceneEditor::revert() {
    const SceneValues before = current;
    readFile();
    commitEdit(before);
}

void SceneEditor::fileSaved() {
    if (edited())
        changedOnDisk = true;
    else
        readFile();
}

std::string SceneEditor::besideScene(const std::string& name) const {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path scene = fs::absolute(path, error);
    return (scene.parent_path() / name).lexically_normal().string();
}

bool SceneEditor::writeScene(const std::string& target) {
    const std::string text = sceneText(current);
    const std::string problem = writeFile(target, [&](std::FILE* out) {
        std::fwrite(text.data(), 1, text.size(), out);
        return std::string();
    });
    message = problem.empty() ? "saved " + escaped(target)
                              : "not saved: " + escaped(target) + ": " + problem;
    return problem.empty();
}

bool SceneEditor::save() {
    std::error_code error;
    if (!writeScene(std::filesystem::absolute(path, error).lexically_normal().string()))
        return false;
    fileValues = current;
    fileLoads = true;
    changedOnDisk = false;
    return true;
}

std::optional<std::string> SceneEditor::saveAs(const std::string& other) {
    if (other.empty()) {
        message = "not saved: give a file name";
        return std::nullopt;
    }
    const std::string target = besideScene(other);
    if (!writeScene(target))
        return std::nullopt;
    return target;
}

bool SceneEditor::writePicture(const RgbaPicture& picture) {
    const std::string target = freshNameBeside(path, "png");
    const std::string problem = writeFile(target, [&](std::FILE* out) {
        return writePng(out, picture, "vextal: " + describe(summary));
    });
    message = problem.empty() ? "wrote " + escaped(target)
                              : "not written: " + escaped(target) + ": " + problem;
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
    message = problem.empty() ? "wrote " + escaped(target)
                              : "not written: " + escaped(target) + ": " + problem;
    return problem.empty();
}

} // namespace Vextal
