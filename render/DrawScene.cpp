#include "render/DrawScene.h"

#include "mesh/PolygonsIndexedNormal.h"
#include "render/OGLRenderer.h"
#include "render/RenderState.h"
#include "scene/SceneState.h"

#include <GL/gl.h>

namespace Vextal {

namespace {

// Directional light (w = 0), set after the view so it stays fixed to the surface.
const GLfloat lightDirection[] = {2.0f, -1.0f, -1.0f, 0.0f};

void drawAxes(float lineWidthScale) {
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glLineWidth(3.0f * lineWidthScale);
    glBegin(GL_LINES);
    glColor3f(1, 0, 0);
    glVertex3f(0, 0, 0);
    glVertex3f(1, 0, 0);
    glColor3f(0, 1, 0);
    glVertex3f(0, 0, 0);
    glVertex3f(0, 1, 0);
    glColor3f(0, 0, 1);
    glVertex3f(0, 0, 0);
    glVertex3f(0, 0, 1);
    glEnd();
}

} // namespace

void drawScene() {
    RenderState& render = renderState();
    const bool wireframe = render.wireframe;
    OGLRenderer& sceneRenderer = render.sceneRenderer;
    PolygonsIndexedNormal& sceneMesh = sceneState().sceneMesh;
    glLineWidth(render.lineWidthScale);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    glLightfv(GL_LIGHT0, GL_POSITION, lightDirection);
    const std::vector<Rgb8>& colours = render.meshColours.colours;
    const Rgb8* coloured =
        !colours.empty() && colours.size() == sceneMesh.vertexCount ? colours.data() : nullptr;
    if (wireframe)
        sceneRenderer.renderEdges(&sceneMesh, coloured);
    else
        sceneRenderer.render(&sceneMesh, coloured);
    glDisable(GL_LIGHTING);
    glColor4f(1, 0, 0, 1);
    if (render.showNormals)
        sceneRenderer.renderNormals(&sceneMesh);
    if (wireframe)
        drawAxes(render.lineWidthScale);
}

} // namespace Vextal
