#pragma once

#include "meshfiles/MeshFormats.h"
#include "pictures/PngWriter.h"
#include "scene/SceneLoader.h"
#include "scene/SceneValues.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace Vextal {

class PolygonsIndexedNormal;

// What the scene panel edits: the values of a scene file as the loader read
// them. Every change is written as scene text and loaded through the loader
// into the mesh the viewer draws, so what is shown is what the saved file
// shows; values the loader refuses leave the mesh and the values as they
// were. Keeps the values the file holds, to tell unsaved changes and to go
// back, and the steps to undo and redo.
class SceneEditor {
public:
    // The mesh is the one the viewer draws; it must outlive the editor.
    SceneEditor(std::string scenePath, PolygonsIndexedNormal& mesh);

    const std::string& scenePath() const { return path; }
    // The values as the last load left them.
    const SceneValues& values() const { return current; }

    // Loads edited values; false, with status() saying why, when the loader
    // refuses them (the values stay as they were).
    bool edit(const SceneValues& edited);
    // Ends one change that started from `before`: one step to undo.
    void commitEdit(const SceneValues& before);
    void undo();
    void redo();
    bool canUndo() const { return !undoSteps.empty(); }
    bool canRedo() const { return !redoSteps.empty(); }

    // Loads the scene file and takes its values (at start, after R). A file
    // that does not load changes no value once a surface is drawn: the status
    // says why. At start, a missing file is a new scene, drawn from the
    // loader's defaults.
    void readFile();
    // Goes back to the file's values, as one step to undo.
    void revert();
    // Another program saved the scene file: its values replace these unless
    // there are unsaved changes; then fileChangedOnDisk() says so.
    void fileSaved();
    // The file would change if saved now.
    bool unsaved() const { return !fileLoads || edited(); }
    bool fileChangedOnDisk() const { return changedOnDisk; }

    // Writes the values as a canonical scene file through the safe writer:
    // to the scene file itself, or to another name, taken relative to the
    // scene file's folder ("-" too is a file there). Only a regular file, or
    // a new one, is written. False, with status() saying why, when it cannot;
    // the file is then as it was. The status names the whole path written,
    // and saveAs returns it. Saving as another name writes a copy: the
    // editor goes on editing the scene file, whose unsaved changes stay.
    bool save();
    std::optional<std::string> saveAs(const std::string& other);

    // Writes next to the scene file under a name not taken yet
    // (starfish-1.png, starfish-2.stl, ...): the picture as PNG, the surface
    // in a mesh format, welded for printing or as drawn.
    bool writePicture(const RgbaPicture& picture);
    bool writeMesh(const MeshFormat& format, bool weld);

    // The last thing done, or why it failed, for one line of the panel.
    const std::string& status() const { return message; }
    // What vextal-check would warn of the surface shown, one line each, as
    // of the last surveyIfStale(): surveying a large mesh takes longer than
    // loading it, so a drag surveys once, when it ends.
    const std::vector<std::string>& warnings() const { return meshWarningLines; }
    void surveyIfStale();
    double loadMilliseconds() const { return lastLoadMilliseconds; }
    std::uint32_t vertexCount() const;
    std::uint32_t triangleCount() const;

    // True once after every load into the mesh: the views must be drawn again.
    bool takeMeshChange();

private:
    bool edited() const { return sceneText(current) != sceneText(fileValues); }
    bool loadValues(const SceneValues& values);
    void startWithoutSurface(const SceneLoadResult& loaded);
    std::string besideScene(const std::string& name) const;
    void noteLoaded();
    bool writeScene(const std::string& target);

    std::string path;
    PolygonsIndexedNormal& mesh;
    SceneValues current;
    SceneValues fileValues;
    SceneSummary summary; // of the surface shown
    std::vector<SceneValues> undoSteps;
    std::vector<SceneValues> redoSteps;
    bool changedOnDisk = false;
    bool fileLoads = true;        // the scene file loaded when last read or saved
    bool drawn = false;           // a surface was loaded into the mesh
    bool lastEditRefused = false; // the change under way ended on a refused value
    bool meshChanged = false;
    std::string message;
    std::vector<std::string> meshWarningLines;
    bool warningsStale = false;
    double lastLoadMilliseconds = 0;
};

} // namespace Vextal
