#include "tools/SceneDrawing.h"

#include "base/EscapedText.h"
#include "camera/CameraView.h"
#include "camera/FillView.h"
#include "render/ClearColour.h"
#include "render/DrawViews.h"
#include "render/InitRendering.h"
#include "tools/ColourLegend.h"

namespace VextalTools {

CameraPose poseOf(const PictureSettings& settings) {
    return {settings.turnX, settings.turnY, settings.distance, 0};
}

SceneDrawing::SceneDrawing(const PictureSettings& settings) : settings(settings) {}

// Exit 3 only when OpenGL itself is missing: if a picture of one pixel can
// be had, the size was too much.
std::optional<DrawingProblem> SceneDrawing::open() {
    const Vextal::OffscreenSamples samples{settings.samples, true};
    if (offscreen.create(int(settings.width), int(settings.height), samples))
        return std::nullopt;
    const std::string why = offscreen.error();
    if (offscreen.create(1, 1))
        return DrawingProblem{exitFailed, std::to_string(settings.width) + "x" +
                                              std::to_string(settings.height) + " pixels: " + why};
    return DrawingProblem{exitNoOpenGL, "no OpenGL available: " + why};
}

std::optional<DrawingProblem> SceneDrawing::start(const char* scenePath) {
    Vextal::RenderingStart source;
    source.scenePath = scenePath;
    return startWith(source, Vextal::escaped(scenePath));
}

std::optional<DrawingProblem> SceneDrawing::startText(std::string_view text,
                                                      const std::string& shownName) {
    Vextal::RenderingStart source;
    source.sceneText = text;
    return startWith(source, shownName);
}

std::optional<DrawingProblem> SceneDrawing::startWith(const Vextal::RenderingStart& source,
                                                      const std::string& shownName) {
    if (std::optional<DrawingProblem> problem = open())
        return problem;
    const Vextal::SceneLoadResult loaded = load(source);
    if (!loaded.rendered())
        return DrawingProblem{exitFailed, shownName + ": " + loaded.reason()};
    summary = loaded.scene;
    colourMesh(loaded.values);
    return std::nullopt;
}

void SceneDrawing::colourMesh(const Vextal::SceneValues& values) {
    if (settings.colour.mode == Vextal::ColourMode::plain)
        return;
    Vextal::ColourRequest request = settings.colour;
    if (coloured && !request.range)
        request.range = Vextal::ColourRange{render.meshColours.low, render.meshColours.high};
    render.meshColours =
        Vextal::colourVertices(values, scene.sceneMesh, request, settings.build.workers);
    coloured = true;
}

void SceneDrawing::showColours(Vextal::VertexColours colours) {
    render.meshColours = std::move(colours);
    coloured = true;
}

// The viewer's start-up, then the settings' switches and background.
Vextal::SceneLoadResult SceneDrawing::load(Vextal::RenderingStart start) {
    start.width = std::uint32_t(offscreen.drawWidth());
    start.height = std::uint32_t(offscreen.drawHeight());
    start.build = settings.build;
    const Vextal::SceneLoadResult loaded = Vextal::initRendering(keys, start);
    render.wireframe = settings.wireframe;
    render.showNormals = settings.normals;
    render.lineWidthScale = float(offscreen.plan().scale);
    if (settings.transparent)
        Vextal::setClearColour(0, 0, 0, 0);
    else if (settings.background)
        Vextal::setClearColour(float((*settings.background)[0]) / 255,
                               float((*settings.background)[1]) / 255,
                               float((*settings.background)[2]) / 255, 1);
    return loaded;
}

namespace {

// Moves the camera so that the turned mesh fills the picture.
void fillPicture(Vextal::Camera& camera, const CameraPose& pose,
                 const Vextal::PolygonsIndexedNormal& mesh, double aspect) {
    const Vextal::Quaternion turned = Vextal::eulerToQuaternion(pose.turnX, pose.turnY, 0);
    if (const auto translation = Vextal::fillingTranslation({mesh.vertices, mesh.vertexCount},
                                                            turned, {.aspect = aspect}))
        camera.translation = *translation;
}

// The camera as a right drag and the Page keys would leave it before the
// first frame: the turn is folded into its orientation when the view is
// drawn. A spin is folded in after the turn, about the eye's vertical axis.
void placeCamera(Vextal::Camera& camera, const CameraPose& pose) {
    camera.orientation = {};
    camera.pendingRotation = {pose.turnX, pose.turnY, 0};
    if (pose.spin != 0) {
        Vextal::advanceOrientation(camera);
        camera.pendingRotation = {0, pose.spin, 0};
    }
    camera.translation = {0, 0, -pose.distance};
}

} // namespace

std::optional<DrawingProblem> SceneDrawing::draw(const CameraPose& pose,
                                                 std::vector<std::uint8_t>& pixels) {
    Vextal::Camera& camera = *input.cameraList.cameras[0];
    placeCamera(camera, pose);
    if (pose.fill)
        fillPicture(camera, pose, scene.sceneMesh,
                    double(settings.width) / double(settings.height));
    Vextal::drawViews();
    if (const unsigned error = offscreen.takeError(); error == offscreen.outOfMemoryError) {
        return DrawingProblem{exitFailed, "OpenGL ran out of memory while drawing"};
    } else if (error != 0) {
        char text[64];
        std::snprintf(text, sizeof text, "OpenGL failed while drawing (error 0x%04x)", error);
        return DrawingProblem{exitNoOpenGL, text};
    }
    pixels = offscreen.readPixels();
    if (settings.transparent)
        straightenAlpha(pixels);
    if (settings.legend)
        if (std::optional<std::string> why =
                drawColourLegend(render.meshColours, settings.width, settings.height, pixels))
            return DrawingProblem{exitFailed, *why};
    return std::nullopt;
}

void straightenAlpha(std::vector<std::uint8_t>& rgba) {
    for (std::size_t k = 0; k + 3 < rgba.size(); k += 4) {
        const unsigned alpha = rgba[k + 3];
        if (alpha == 0 || alpha == 255)
            continue;
        for (std::size_t channel = 0; channel < 3; ++channel) {
            const unsigned straight = (rgba[k + channel] * 255u + alpha / 2) / alpha;
            rgba[k + channel] = std::uint8_t(straight > 255 ? 255 : straight);
        }
    }
}

} // namespace VextalTools
