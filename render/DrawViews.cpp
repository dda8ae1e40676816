#include "render/DrawViews.h"

#include "camera/ApplyCamera.h"
#include "camera/CameraList.h"
#include "render/DrawScene.h"

#include <GL/gl.h>

namespace Vextal {

void drawViews() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    // cameraCount is read again after every view.
    for (unsigned index = 0; index < cameraCount; ++index) {
        glLoadIdentity();
        if (applyCamera(*cameras[index]))
            drawScene();
    }
}

} // namespace Vextal
