// The tools' grids beyond the file's 255: the same formulas as the
// per-vertex reference, bit for bit, and the same bytes for any number of
// threads.

#include "mesh/MeshSurvey.h"
#include "mesh/PolygonsIndexedNormal.h"
#include "primitives/PrimitiveSphericalHarmonic.h"
#include "primitives/PrimitiveSuperShapeSpheric.h"
#include "primitives/PrimitiveSuperShapeToric.h"
#include "support/MeshCompare.h"
#include "support/ReferenceTessellation.h"

#include <gtest/gtest.h>

#include <numbers>

using namespace Vextal;
using VextalTest::sameMesh;

namespace {

// The mesh and normals of a grid, built with `threads` threads.
struct Built : PolygonsIndexedNormal {
    Built(const PrimitiveParametric& surface, GridSize grid, unsigned threads) {
        surface.tessellateGrid(*this, grid, Workers{threads});
        computeNormals(Workers{threads});
    }
};

struct Reference : PolygonsIndexedNormal {
    Reference(const PrimitiveParametric& surface, GridSize grid) {
        VextalReference::tessellate(surface, grid, *this);
        VextalReference::computeNormals(*this);
    }
};

} // namespace

TEST(WideGrid, countsTheFileCouldSetGiveTheFilesMesh) {
    PrimitiveSuperShapeToric toric;
    toric.sliceCount = 24;
    toric.rotateCount = 48;
    PolygonsIndexedNormal fromFields;
    toric.tessellate(fromFields);
    fromFields.computeNormals();
    EXPECT_TRUE(sameMesh(Built(toric, {24, 48}, 3), fromFields));
}

TEST(WideGrid, matchesTheReferenceAndIsTheSameForAnyNumberOfThreads) {
    // Big enough that the rows are split among the threads (some 64 thousand
    // vertices a block), on every surface, open and closed.
    PrimitiveSuperShapeToric toric;
    toric.thetaMin = -std::numbers::pi_v<float>;
    toric.thetaMax = std::numbers::pi_v<float>;
    toric.closed = false;
    PrimitiveSuperShapeSpheric spheric;
    PrimitiveSphericalHarmonic harmonic;
    harmonic.coefh = {2, 2, 3, 2, 1, 2, 2, 2};
    const PrimitiveParametric* surfaces[] = {&toric, &spheric, &harmonic};
    for (const PrimitiveParametric* surface : surfaces) {
        const GridSize grid{401, 700};
        const Built one(*surface, grid, 1);
        EXPECT_TRUE(sameMesh(one, Reference(*surface, grid)));
        for (const unsigned threads : {2u, 3u, 8u})
            EXPECT_TRUE(sameMesh(Built(*surface, grid, threads), one)) << threads << " threads";
    }
}

TEST(WideGrid, largestGridGathersItsNormalsLikeTheReference) {
    PrimitiveSuperShapeSpheric spheric;
    const GridSize grid{5, maxGridCount};
    EXPECT_TRUE(sameMesh(Built(spheric, grid, 2), Reference(spheric, grid)));
}

TEST(WideGrid, aGridKnowsItsEdgesAsSortingThemCountsThem) {
    // The survey takes a grid's edge counts from the grid; sorting the
    // edges of the same triangles must agree, rims and poles alike.
    PrimitiveSuperShapeToric toric;
    PrimitiveSuperShapeSpheric spheric;
    const PrimitiveParametric* surfaces[] = {&toric, &spheric};
    for (const bool closed : {true, false}) {
        toric.closed = closed;
        for (const PrimitiveParametric* surface : surfaces)
            for (const GridSize grid : {GridSize{300, 7}, GridSize{2, 3}}) {
                const Built mesh(*surface, grid, 1);
                ASSERT_TRUE(mesh.ringGrid().edgesKnown());
                const MeshSurvey fromGrid = surveyMesh(mesh);
                const MeshSurvey sorted = surveyMesh(static_cast<const PolygonsIndexed&>(mesh));
                EXPECT_EQ(fromGrid.openEdges, sorted.openEdges) << grid.slices << " slices";
                EXPECT_EQ(fromGrid.tangledEdges, sorted.tangledEdges) << grid.slices << " slices";
            }
    }
}
