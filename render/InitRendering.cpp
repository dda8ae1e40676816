#include "render/InitRendering.h"

#include "camera/CameraList.h"
#include "input/InputState.h"
#include "mesh/PolygonsIndexedNormal.h"
#include "scene/SceneLoader.h"
#include "scene/SceneState.h"

#include <GL/gl.h>

namespace Vextal {

namespace {

const GLfloat materialSpecular[] = {1.0f, 1.0f, 1.0f, 1.0f};
const GLfloat materialColour[] = {0.8f, 0.8f, 0.5f, 1.0f};
const GLfloat lightColour[] = {0.6f, 1.0f, 1.0f, 1.0f};
// Above 1 on purpose: the unlit side glows blue.
const GLfloat lightAmbient[] = {0.0f, 0.0f, 1.1f, 1.0f};

} // namespace

void listNewCamera() {
    CameraList& list = listedCameras();
    Camera* camera = new Camera;
    initCamera(*camera, 0, 0, 1, 1);
    if (list.cameraCount >= maxCameras) {
        delete camera; // never listed, never used
        return;
    }
    camera->translation.z = -5.0f;
    list.cameras[list.cameraCount++] = camera;
}

void setFixedRenderingState() {
    glClearColor(0.0f, 0.0f, 0.0f, 0.5f);
    glClearDepth(1.0);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_DEPTH_TEST);
    glShadeModel(GL_SMOOTH);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, materialSpecular);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, materialColour);
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, materialColour);
    glMateriali(GL_FRONT_AND_BACK, GL_SHININESS, 50);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, lightColour);
    glLightfv(GL_LIGHT0, GL_SPECULAR, lightColour);
    glLightfv(GL_LIGHT0, GL_AMBIENT, lightAmbient);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
}

SceneLoadResult initRendering(std::int32_t* keys, const RenderingStart& start) {
    inputState().keyTable = keys;
    listNewCamera();
    resizeViewports(start.width, start.height);
    const SceneLoadResult loaded =
        loadSceneFile(start.scenePath, sceneState().sceneMesh, start.build);
    if (loaded.rendered())
        sceneState().meshValues = loaded.values;
    setFixedRenderingState();
    return loaded;
}

bool initRendering(std::int32_t* keys) {
    initRendering(keys, RenderingStart{sceneState().scenePath.c_str()});
    return true;
}

} // namespace Vextal
