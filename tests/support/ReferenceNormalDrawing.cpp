#include "support/ReferenceNormalDrawing.h"

#include "mesh/PolygonsIndexedNormal.h"

#include <GL/gl.h>

#include <initializer_list>

namespace VextalTest {

void drawNormalsOnePerCorner(const Vextal::PolygonsIndexedNormal& mesh) {
    using Vextal::Vec3;
    glBegin(GL_LINES);
    for (std::uint32_t t = 0; t < mesh.triangleCount; ++t) {
        const Vextal::Triangle& triangle = mesh.triangles[t];
        for (const std::uint32_t i : {triangle.i0, triangle.i1, triangle.i2}) {
            const Vec3 p = mesh.vertices[i];
            const Vec3 n = mesh.normals[i];
            const Vec3 end{p.x + n.x / 5, p.y + n.y / 5, p.z + n.z / 5};
            glVertex3fv(&p.x);
            glVertex3fv(&end.x);
        }
    }
    glEnd();
}

} // namespace VextalTest
