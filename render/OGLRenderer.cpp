#include "render/OGLRenderer.h"

#include "mesh/PolygonsIndexedNormal.h"
#include "mesh/VertexColours.h"
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

static_assert(sizeof(Rgb8) == 3, "colours are handed to OpenGL as packed bytes");

// For as long as it lives, a colour array gives each vertex its material's
// ambient and diffuse colour, lit by a white light from the same direction:
// the scene's tinted light (its blue ambient glow) would turn every colour
// of a map towards blue. GL_COLOR_MATERIAL writes every colour into the
// material, so the material and the light are saved first and put back after.
class VertexColourArray {
public:
    explicit VertexColourArray(const Rgb8* colours) : colours(colours) {
        if (!colours)
            return;
        glGetMaterialfv(GL_FRONT, GL_AMBIENT, saved.ambient);
        glGetMaterialfv(GL_FRONT, GL_DIFFUSE, saved.diffuse);
        glGetLightfv(GL_LIGHT0, GL_AMBIENT, saved.lightAmbient);
        glGetLightfv(GL_LIGHT0, GL_DIFFUSE, saved.lightDiffuse);
        glGetLightfv(GL_LIGHT0, GL_SPECULAR, saved.lightSpecular);
        glLightfv(GL_LIGHT0, GL_AMBIENT, whiteAmbient);
        glLightfv(GL_LIGHT0, GL_DIFFUSE, whiteDiffuse);
        glLightfv(GL_LIGHT0, GL_SPECULAR, whiteSpecular);
        glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
        glEnable(GL_COLOR_MATERIAL);
        glEnableClientState(GL_COLOR_ARRAY);
        glColorPointer(3, GL_UNSIGNED_BYTE, 0, colours);
    }
    ~VertexColourArray() {
        if (!colours)
            return;
        glDisableClientState(GL_COLOR_ARRAY);
        glDisable(GL_COLOR_MATERIAL);
        glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, saved.ambient);
        glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, saved.diffuse);
        glLightfv(GL_LIGHT0, GL_AMBIENT, saved.lightAmbient);
        glLightfv(GL_LIGHT0, GL_DIFFUSE, saved.lightDiffuse);
        glLightfv(GL_LIGHT0, GL_SPECULAR, saved.lightSpecular);
    }
    VertexColourArray(const VertexColourArray&) = delete;
    VertexColourArray& operator=(const VertexColourArray&) = delete;

private:
    // Enough ambient light that the side away from the light still shows its colour.
    static constexpr GLfloat whiteAmbient[] = {0.45f, 0.45f, 0.45f, 1.0f};
    static constexpr GLfloat whiteDiffuse[] = {0.65f, 0.65f, 0.65f, 1.0f};
    static constexpr GLfloat whiteSpecular[] = {0.35f, 0.35f, 0.35f, 1.0f};

    const Rgb8* colours;
    struct {
        GLfloat ambient[4], diffuse[4], lightAmbient[4], lightDiffuse[4], lightSpecular[4];
    } saved{};
};

} // namespace

void OGLRenderer::render(PolygonsIndexedNormal* mesh, const Rgb8* colours) {
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glNormalPointer(GL_FLOAT, 0, mesh->normals);
    glVertexPointer(3, GL_FLOAT, 0, mesh->vertices);
    {
        const VertexColourArray coloured(colours);
        glDrawElements(GL_TRIANGLES, GLsizei(3 * mesh->triangleCount), GL_UNSIGNED_INT,
                       mesh->triangles);
    }
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
}

void OGLRenderer::renderEdges(PolygonsIndexedNormal* mesh, const Rgb8* colours) {
    const std::vector<std::uint32_t>& edges = renderState().wireframeEdges.indicesFor(*mesh);
    const VertexColourArray coloured(colours);
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
