#include "render/ApplyCamera.h"

#include <GL/gl.h>
#include <GL/glu.h>

namespace Vextal {

bool applyCamera(Camera& camera) {
    if (!hasPixelArea(camera))
        return false;
    glViewport(camera.pixelX, camera.pixelY, camera.pixelWidth, camera.pixelHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, aspectRatio(camera), 1.0, 100.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    const CameraTurn turn = advanceOrientation(camera);
    const Vec3 t = camera.translation;
    glTranslatef(t.x, t.y, t.z);
    glRotatef(turn.angleDegrees, turn.axisX, turn.axisY, turn.axisZ);
    return true;
}

} // namespace Vextal
