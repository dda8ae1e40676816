#include "render/DrawViews.h"

#include "camera/CameraList.h"
#include "render/ApplyCamera.h"
#include "render/DrawScene.h"

#include <GL/gl.h>

#include <cassert>

namespace Vextal {

void drawViews() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    const CameraList& list = listedCameras();
    // cameraCount is read again after every view.
    for (unsigned index = 0; index < list.cameraCount; ++index) {
        assert(index < unsigned(maxCameras) && list.cameras[index] != nullptr);
        glLoadIdentity();
        if (applyCamera(*list.cameras[index]))
            drawScene();
    }
}

void flushFrame() {
    glFlush();
}

} // namespace Vextal
