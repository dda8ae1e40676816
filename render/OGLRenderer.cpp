#include "render/OGLRenderer.h"

#include "mesh/PolygonsIndexedNormal.h"
#include "render/NormalSegments.h"
#include "render/RenderState.h"
#include "render/WireframeEdges.h"

#include <GL/gl.h>

#include <algorithm>

namespace Vextal {

namespace {

// About a twelfth of the largest grid's edges: enough batches for the
// rasteriser to keep up, few enough that handing each over costs nothing.
constexpr std::size_t linesPerBatch = 16384;

} // namespace

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

void OGLRenderer::renderEdges(PolygonsIndexedNormal* mesh) {
    const std::vector<std::uint32_t>& edges = renderState().wireframeEdges.indicesFor(*mesh);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glNormalPointer(GL_FLOAT, 0, mesh->normals);
    glVertexPointer(3, GL_FLOAT, 0, mesh->vertices);
    // In batches, each handed to the rasteriser before the next is set up:
    // a software rasteriser then draws one batch on its worker threads while
    // this thread sets up the next, rather than starting on all the lines
    // only when the frame ends. The index range is known, so the driver need
    // not scan the indices for it. It changes no pixel.
    const std::size_t lines = edges.size() / 2;
    for (std::size_t first = 0; first < lines; first += linesPerBatch) {
        if (first > 0)
            glFlush();
        const std::size_t count = std::min(linesPerBatch, lines - first);
        glDrawRangeElements(GL_LINES, 0, mesh->vertexCount - 1, GLsizei(2 * count), GL_UNSIGNED_INT,
                            edges.data() + 2 * first);
    }
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
}

void OGLRenderer::renderNormals(PolygonsIndexedNormal* mesh) {
    const std::vector<Vec3>& points = renderState().normalSegments.pointsFor(*mesh);
    // Hand the surface to the rasteriser before the segments are set up: a
    // software rasteriser then fills the triangles on its worker threads
    // while this thread sets up the lines, rather than starting on both only
    // when the frame ends. It changes no pixel.
    glFlush();
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, points.data());
    glDrawArrays(GL_LINES, 0, GLsizei(points.size()));
    glDisableClientState(GL_VERTEX_ARRAY);
}

} // namespace Vextal
