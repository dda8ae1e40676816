#pragma once

#include "input/InputState.h"
#include "input/KeyState.h"
#include "render/InitRendering.h"
#include "render/OffscreenContext.h"
#include "render/RenderState.h"
#include "scene/SceneLoader.h"
#include "scene/SceneState.h"
#include "scene/SceneValues.h"
#include "tools/PictureOptions.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace VextalTools {

// The exit statuses of the picture tools, beside 0 and 64.
inline constexpr int exitFailed = 2;   // the scene not loaded, the picture not made or written
inline constexpr int exitNoOpenGL = 3; // no OpenGL at all

// Why a picture could not be had, and the status to exit with.
struct DrawingProblem {
    int exitStatus = exitFailed;
    std::string message; // one line, without the program's name
};

// Where the camera stands for one picture: the settings' turn and distance,
// then a spin about the picture's vertical axis (a turntable's angle).
struct CameraPose {
    float turnX = 0;
    float turnY = 0;
    float distance = 5;
    float spin = 0; // radians
    // Frame the mesh by its bounds as the turn shows it (centred, just far
    // enough back to fill the picture) instead of standing `distance` back.
    bool fill = false;
};

CameraPose poseOf(const PictureSettings& settings);

// The viewer's drawing in an offscreen context, for pictures of scenes: the
// context with the settings' size and samples, and what the viewer's state
// holds for a drawing (the mesh, the camera, the switches; no key is held).
// Made and used on one thread.
class SceneDrawing {
public:
    explicit SceneDrawing(const PictureSettings& settings);

    // Makes the context current, then runs the viewer's start-up with the
    // scene file and sets the settings' switches and background. Once. A
    // scene that does not load is a problem naming the file.
    std::optional<DrawingProblem> start(const char* scenePath);
    // The same with scene text held in memory; a problem names `shownName`.
    std::optional<DrawingProblem> startText(std::string_view text, const std::string& shownName);

    // What the start-up loaded.
    const Vextal::SceneSummary& loadedScene() const { return summary; }

    // The mesh every picture draws; the caller may fill it anew between
    // pictures, then colours it again from the values it loaded.
    Vextal::PolygonsIndexedNormal& mesh() { return scene.sceneMesh; }

    // Colours the mesh by the settings' colouring (nothing for plain). After
    // the first, with the first one's range unless the settings give one, so
    // that every frame of an animation shows a value in one colour.
    void colourMesh(const Vextal::SceneValues& values);
    // Shows these colours instead, one per vertex of the mesh (values the
    // caller computed); the legend then shows their range and mode.
    void showColours(Vextal::VertexColours colours);

    // Draws the mesh from the pose into pixels (RGBA, top row first, the
    // settings' size); alpha is straight coverage when the settings are
    // transparent.
    std::optional<DrawingProblem> draw(const CameraPose& pose, std::vector<std::uint8_t>& pixels);

private:
    std::optional<DrawingProblem> open();
    std::optional<DrawingProblem> startWith(const Vextal::RenderingStart& source,
                                            const std::string& shownName);
    Vextal::SceneLoadResult load(Vextal::RenderingStart start);

    PictureSettings settings;
    Vextal::SceneSummary summary;
    bool coloured = false; // colourMesh() ran once
    Vextal::OffscreenContext offscreen;
    Vextal::SceneState scene;
    Vextal::InputState input;
    Vextal::RenderState render;
    std::int32_t keys[Vextal::keyTableSize] = {};
};

// Turns colours averaged over the transparent background (premultiplied by
// coverage) back into the surface's own colours beside their coverage.
void straightenAlpha(std::vector<std::uint8_t>& rgba);

} // namespace VextalTools
