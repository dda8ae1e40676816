#pragma once

#include "colour/ColourMode.h"
#include "scene/SceneValues.h"

#include <cstdint>
#include <string>

namespace Vextal {

class SceneEditor;

// What the panel keeps from one frame to the next, besides the scene.
struct ScenePanelView {
    bool visible = true;
    // Where the panel lay in the last frame, in window coordinates.
    float x = 0, y = 0, width = 0, height = 0;
    // The Save as field: what was typed, and after a save the whole path
    // written, however long.
    std::string saveName;
    int meshFormat = 2; // index into meshFormats(): STL
    bool weld = true;
    bool pictureWanted = false; // the PNG button was pressed; taken by the caller
    // The colouring chosen, which the caller draws, and the range it spans.
    ColourMode colourMode = ColourMode::plain;
    float colourLow = 0, colourHigh = 0;
    // A value being dragged or typed, and the values before it started.
    bool editing = false;
    SceneValues editStart;
    // A typed surface's x, y and z as typed, which may not load yet, and the
    // loaded text each was last taken from.
    std::string formulaDraft[3];
    std::string formulaDraftOf[3];

    bool contains(float px, float py) const {
        return visible && px >= x && px < x + width && py >= y && py < y + height;
    }
};

// Builds the scene panel for this frame with Dear ImGui, between NewFrame and
// Render, at the window's left edge: the values, the counts and times, the
// warnings, and the buttons. Every change goes to the editor at once.
void showScenePanel(SceneEditor& editor, ScenePanelView& view, std::uint32_t frameMilliseconds);

} // namespace Vextal
