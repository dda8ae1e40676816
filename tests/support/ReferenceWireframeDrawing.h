#pragma once

// The wireframe as the triangles drawn with the polygon mode set to lines,
// which draws every edge two triangles share twice: the plain way, which the
// edges drawn once each must match within the snapshot tolerance, and which
// the frame benchmarks compare them with. Header only: a handful of calls.

#include "camera/CameraList.h"
#include "mesh/PolygonsIndexedNormal.h"
#include "render/ApplyCamera.h"

#include <GL/gl.h>

namespace VextalTest {

// One view's wireframe scene, as the viewer drew it with the polygon mode:
// the lit triangles as lines, then the three axes 3 pixels wide.
inline void drawWireframeSceneWithPolygonMode(Vextal::PolygonsIndexedNormal& mesh) {
    const GLfloat lightDirection[] = {2.0f, -1.0f, -1.0f, 0.0f};
    glLineWidth(1.0f);
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    glLightfv(GL_LIGHT0, GL_POSITION, lightDirection);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glNormalPointer(GL_FLOAT, 0, mesh.normals);
    glVertexPointer(3, GL_FLOAT, 0, mesh.vertices);
    glDrawElements(GL_TRIANGLES, GLsizei(3 * mesh.triangleCount), GL_UNSIGNED_INT, mesh.triangles);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisable(GL_LIGHTING);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glLineWidth(3.0f);
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

// A whole wireframe frame of every listed camera, as drawViews() draws one.
inline void drawWireframeViewsWithPolygonMode(Vextal::PolygonsIndexedNormal& mesh) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    const Vextal::CameraList& list = Vextal::listedCameras();
    for (unsigned index = 0; index < list.cameraCount; ++index) {
        glLoadIdentity();
        if (Vextal::applyCamera(*list.cameras[index]))
            drawWireframeSceneWithPolygonMode(mesh);
    }
}

} // namespace VextalTest
