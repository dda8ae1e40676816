#include "render/OGLRenderer.h"

#include "mesh/PolygonsIndexedNormal.h"

#include <GL/gl.h>

#include <initializer_list>

namespace Vextal {

OGLRenderer sceneRenderer;

void OGLRenderer::render(PolygonsIndexedNormal* mesh) {
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glNormalPointer(GL_FLOAT, 0, mesh->normals);
    glVertexPointer(3, GL_FLOAT, 0, mesh->vertices);
    glDrawElements(GL_TRIANGLES, GLsizei(3 * mesh->triangleCount), GL_UNSIGNED_INT,
                   mesh->triangles);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
}

void OGLRenderer::renderNormals(PolygonsIndexedNormal* mesh) {
    glBegin(GL_LINES);
    for (std::uint32_t t = 0; t < mesh->triangleCount; ++t) {
        const Triangle& triangle = mesh->triangles[t];
        for (const std::uint32_t i : {triangle.i0, triangle.i1, triangle.i2}) {
            const Vec3 p = mesh->vertices[i];
            const Vec3 n = mesh->normals[i];
            const Vec3 end{p.x + n.x / 5, p.y + n.y / 5, p.z + n.z / 5};
            glVertex3fv(&p.x);
            glVertex3fv(&end.x);
        }
    }
    glEnd();
}

} // namespace Vextal
