#pragma once

#include "mesh/PolygonsIndexed.h"
#include "mesh/RingGrid.h"

namespace Vextal {

// The mesh the viewer draws: adds one normal per vertex, computed from the
// triangles by computeNormals().
class PolygonsIndexedNormal : public PolygonsIndexed {
public:
    ~PolygonsIndexedNormal() override;

    void release() override;

    // As PolygonsIndexed::allocate, plus vertexCount zeroed normals.
    void allocate(std::uint32_t vertexCount, std::uint32_t triangleCount) override;

    // Every vertex normal becomes the normalised sum of the unit face normals
    // of the triangles that use it, added in triangle order. A vertex that no
    // triangle uses keeps (0, 0, 0). When the triangles were written as a
    // ring grid, the same sums are gathered per vertex, much faster, with the
    // same bits.
    virtual void computeNormals();
    // The same, the rings of a large ring grid shared among the workers; the
    // normals have the same bits for any number of threads.
    void computeNormals(const Workers& workers);

    // Writes the triangles of `grid` into the triangle array, whose counts
    // must be the grid's (allocate them first), and remembers that the mesh
    // is that grid. allocate() and release() forget it; whoever writes the
    // triangle array itself allocates it first.
    void writeRingGrid(const RingGrid& grid, const Workers& workers = {});

    // For an edit of the vertices and triangles in place into fewer of each
    // (a weld): dropNormals() frees the normals, which the edit makes wrong,
    // and forgets the ring grid; shrinkTo() then keeps the first vertexCount
    // vertices and triangleCount triangles and gives them zero normals for
    // computeNormals(), memory that costs nothing until they are computed.
    void dropNormals();
    void shrinkTo(std::uint32_t vertexCount, std::uint32_t triangleCount);

    // The grid the triangles were written as; no rings for any other mesh.
    const RingGrid& ringGrid() const { return grid; }

    // A typed surface's mesh is an open sheet: rows of `columns` vertices,
    // vertex row * columns + column, each cell two triangles. The writer
    // marks it after writing; allocate() and release() forget it (0).
    void markSheet(std::uint32_t columns) { sheet = columns; }
    std::uint32_t sheetColumns() const { return sheet; }

    std::uint32_t normalCount = 0;
    Vec3* normals = nullptr;

protected:
    void releaseNormals();

private:
    RingGrid grid;
    std::uint32_t sheet = 0;
};

} // namespace Vextal
