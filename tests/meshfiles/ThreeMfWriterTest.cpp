// 3MF packages read back by lib3mf, the consortium's own reader.
#include "meshfiles/ThreeMfWriter.h"
#include "mesh/PolygonsIndexedNormal.h"
#include "meshfiles/ColourBands.h"
#include "meshfiles/MeshCheck.h"
#include "primitives/PrimitiveSuperShapeToric.h"
#include "support/ExportedFile.h"
#include "support/TempDir.h"

#include <Model/COM/NMR_DLLInterfaces.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

using namespace Vextal;

namespace {

// Owns one lib3mf object.
struct Held {
    NMR::PLib3MFBase* object = nullptr;
    Held() = default;
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;
    ~Held() {
        if (object)
            NMR::lib3mf_release(object);
    }
};

// A package as lib3mf reads it: the model and its one mesh object.
struct ReadBack {
    Held model, reader, objects, object;
    bool read = false;

    explicit ReadBack(const std::string& path) {
        if (NMR::lib3mf_createmodel(&model.object) != 0 ||
            NMR::lib3mf_model_queryreader(model.object, "3mf", &reader.object) != 0 ||
            NMR::lib3mf_reader_readfromfileutf8(reader.object, path.c_str()) != 0 ||
            !noWarnings() || NMR::lib3mf_model_getmeshobjects(model.object, &objects.object) != 0)
            return;
        BOOL more = false;
        read = NMR::lib3mf_resourceiterator_movenext(objects.object, &more) == 0 && more &&
               NMR::lib3mf_resourceiterator_getcurrent(objects.object, &object.object) == 0;
    }
    // lib3mf reads past what it does not understand, with a warning.
    bool noWarnings() const {
        DWORD count = 0;
        NMR::lib3mf_reader_getwarningcount(reader.object, &count);
        for (DWORD k = 0; k < count; ++k) {
            DWORD code = 0;
            char text[256] = {};
            ULONG needed = 0;
            NMR::lib3mf_reader_getwarningutf8(reader.object, k, &code, text, sizeof text, &needed);
            ADD_FAILURE() << "lib3mf: " << text;
        }
        return count == 0;
    }
    std::vector<NMR::MODELMESHVERTEX> vertices() const {
        DWORD count = 0;
        NMR::lib3mf_meshobject_getvertexcount(object.object, &count);
        std::vector<NMR::MODELMESHVERTEX> out(count);
        NMR::lib3mf_meshobject_getvertices(object.object, out.data(), count, nullptr);
        return out;
    }
    std::vector<NMR::MODELMESHTRIANGLE> triangles() const {
        DWORD count = 0;
        NMR::lib3mf_meshobject_gettrianglecount(object.object, &count);
        std::vector<NMR::MODELMESHTRIANGLE> out(count);
        NMR::lib3mf_meshobject_gettriangleindices(object.object, out.data(), count, nullptr);
        return out;
    }
};

std::string writtenPackage(const VextalTest::TempDir& dir, const char* name,
                           const PolygonsIndexed& mesh, const ThreeMfContent& content,
                           unsigned threads) {
    const std::string path = dir.path(name);
    std::FILE* out = std::fopen(path.c_str(), "wb");
    EXPECT_EQ(writeThreeMf(out, mesh, content, Workers{threads}), "");
    EXPECT_EQ(std::fclose(out), 0);
    return path;
}

// A torus of many pieces' worth of records, with two vertices one float
// step apart that a coarser number format would merge.
void fillToric(PolygonsIndexedNormal& mesh) {
    PrimitiveSuperShapeToric toric;
    toric.sliceCount = 255;
    toric.rotateCount = 250;
    toric.tessellate(mesh);
    mesh.vertices[1] = mesh.vertices[0];
    mesh.vertices[1].x = std::nextafter(mesh.vertices[0].x, 10.0f);
}

Rgb8 colourOf(std::uint32_t v) {
    return {std::uint8_t(v * 37), std::uint8_t(v / 7), std::uint8_t(255 - v % 5)};
}

} // namespace

TEST(ThreeMfWriter, packageReadsBackExactlyAndIsTheSameForAnyNumberOfThreads) {
    PolygonsIndexedNormal mesh;
    fillToric(mesh);
    VextalTest::TempDir dir;
    const ThreeMfContent content{.unit = ModelUnit::meter, .name = "a <torus> & \"more\""};
    const std::string one = writtenPackage(dir, "one.3mf", mesh, content, 1);
    const std::string two = writtenPackage(dir, "two.3mf", mesh, content, 3);
    const std::string bytes = VextalTest::readFile(one);
    EXPECT_EQ(bytes, VextalTest::readFile(two));
    // The classic form: no ZIP64 record, the end record last.
    EXPECT_EQ(bytes.find("PK\x06\x06"), std::string::npos);
    EXPECT_EQ(bytes.rfind("PK\x05\x06"), bytes.size() - 22);

    const ReadBack back(one);
    ASSERT_TRUE(back.read);
    DWORD unit = 0;
    NMR::lib3mf_model_getunit(back.model.object, &unit);
    EXPECT_EQ(unit, DWORD(ModelUnit::meter));
    char name[64] = {};
    ULONG needed = 0;
    NMR::lib3mf_object_getnameutf8(back.object.object, name, sizeof name, &needed);
    EXPECT_STREQ(name, content.name.c_str());
    const auto vertices = back.vertices();
    ASSERT_EQ(vertices.size(), mesh.vertexCount);
    for (std::uint32_t v = 0; v < mesh.vertexCount; ++v)
        ASSERT_EQ(std::memcmp(vertices[v].m_fPosition, &mesh.vertices[v], 12), 0) << v;
    const auto triangles = back.triangles();
    ASSERT_EQ(triangles.size(), mesh.triangleCount);
    for (std::uint32_t t = 0; t < mesh.triangleCount; ++t) {
        const Triangle& f = mesh.triangles[t];
        const DWORD* read = triangles[t].m_nIndices;
        ASSERT_TRUE(read[0] == f.i0 && read[1] == f.i2 && read[2] == f.i1) << t;
    }
}

TEST(ThreeMfWriter, vertexColoursReadBackPerTriangleCorner) {
    PolygonsIndexedNormal mesh;
    fillToric(mesh);
    std::vector<Rgb8> colours(mesh.vertexCount);
    for (std::uint32_t v = 0; v < mesh.vertexCount; ++v)
        colours[v] = colourOf(v);
    VextalTest::TempDir dir;
    ThreeMfContent content;
    content.vertexColours = &colours;
    const ReadBack back(writtenPackage(dir, "c.3mf", mesh, content, 2));
    ASSERT_TRUE(back.read);
    Held handler;
    ASSERT_EQ(NMR::lib3mf_meshobject_createpropertyhandler(back.object.object, &handler.object), 0);
    for (std::uint32_t t = 0; t < mesh.triangleCount; t += 97) {
        NMR::MODELMESH_TRIANGLECOLOR_SRGB read{};
        ASSERT_EQ(NMR::lib3mf_propertyhandler_getcolor(handler.object, t, &read), 0);
        const Triangle& f = mesh.triangles[t];
        const std::uint32_t corners[3] = {f.i0, f.i2, f.i1};
        for (int k = 0; k < 3; ++k) {
            const Rgb8 want = colourOf(corners[k]);
            EXPECT_EQ(read.m_Colors[k].m_Red, want.r);
            EXPECT_EQ(read.m_Colors[k].m_Green, want.g);
            EXPECT_EQ(read.m_Colors[k].m_Blue, want.b);
        }
    }
}

// Bands by the mean of the finite corners; beyond the range the end bands.
TEST(ThreeMfWriter, bandsAreNamedBaseMaterialsOnePerTriangle) {
    PolygonsIndexedNormal mesh;
    mesh.allocate(6, 4);
    for (std::uint32_t v = 0; v < 6; ++v)
        mesh.vertices[v] = {float(v), float(v * v % 5), float(v % 2)};
    mesh.triangles[0] = {0, 1, 2}; // -0.3, 0.4, 0.2: mean 0.1, band 0
    mesh.triangles[1] = {1, 2, 3}; // 0.4, 0.2 and a NaN: mean 0.3, band 1
    mesh.triangles[2] = {3, 4, 5}; // NaN, 0.9, 5: beyond the range, the last band
    mesh.triangles[3] = {0, 3, 2}; // -0.3, NaN, 0.2: below it, the first band
    VertexColours colours{"height", 0.0f, 1.0f, {-0.3f, 0.4f, 0.2f, NAN, 0.9f, 5.0f}, {}};
    EXPECT_EQ(bandTriangles(mesh, colours, 4, BandSpan::colourRange).ofTriangle,
              (std::vector<std::uint8_t>{0, 1, 3, 0}));
    colours.values[0] = 0.8f; // means 0.467 and 0.5
    const TriangleMaterials moved = bandTriangles(mesh, colours, 4, BandSpan::colourRange);
    EXPECT_EQ(moved.ofTriangle, (std::vector<std::uint8_t>{1, 1, 3, 2}));

    VextalTest::TempDir dir;
    ThreeMfContent content;
    content.materials = &moved;
    const ReadBack back(writtenPackage(dir, "b.3mf", mesh, content, 1));
    ASSERT_TRUE(back.read);
    Held groups, group;
    BOOL more = false;
    ASSERT_EQ(NMR::lib3mf_model_getbasematerials(back.model.object, &groups.object), 0);
    ASSERT_EQ(NMR::lib3mf_resourceiterator_movenext(groups.object, &more), 0);
    ASSERT_TRUE(more);
    ASSERT_EQ(NMR::lib3mf_resourceiterator_getcurrent(groups.object, &group.object), 0);
    DWORD count = 0;
    NMR::lib3mf_basematerial_getcount(group.object, &count);
    ASSERT_EQ(count, 4u);
    char name[64] = {};
    ULONG needed = 0;
    NMR::lib3mf_basematerial_getnameutf8(group.object, 1, name, sizeof name, &needed);
    EXPECT_STREQ(name, "height 0.25 to 0.5");
    Held handler;
    ASSERT_EQ(NMR::lib3mf_meshobject_createpropertyhandler(back.object.object, &handler.object), 0);
    for (std::uint32_t t = 0; t < mesh.triangleCount; ++t) {
        DWORD groupId = 0, index = 0;
        ASSERT_EQ(NMR::lib3mf_propertyhandler_getbasematerial(handler.object, t, &groupId, &index),
                  0);
        EXPECT_EQ(index, moved.ofTriangle[t]) << t;
    }
}

// The bound the export keeps 3MF coordinates within is the one lib3mf
// enforces: a model that reaches 1e9 reads back, one float step beyond it is
// refused as the export refuses it.
TEST(ThreeMfWriter, coordinatesUpToTheBoundReadBackAndNoFurther) {
    VextalTest::TempDir dir;
    for (const float largest : {1e9f, std::nextafter(1e9f, 2e9f)}) {
        PolygonsIndexedNormal mesh;
        fillToric(mesh);
        float most = 0;
        for (std::uint32_t v = 0; v < mesh.vertexCount; ++v)
            most = std::max({most, std::fabs(mesh.vertices[v].x), std::fabs(mesh.vertices[v].y),
                             std::fabs(mesh.vertices[v].z)});
        for (std::uint32_t v = 0; v < mesh.vertexCount; ++v)
            if (std::fabs(mesh.vertices[v].x) == most)
                mesh.vertices[v].x = std::copysign(largest, mesh.vertices[v].x);
        const bool within = checkCoordinatesWithin(mesh, 1e9).empty();
        const std::string path = writtenPackage(dir, "far.3mf", mesh, {}, 1);
        NMR::PLib3MFModel* model = nullptr;
        NMR::PLib3MFModelReader* reader = nullptr;
        ASSERT_EQ(NMR::lib3mf_createmodel(&model), 0);
        ASSERT_EQ(NMR::lib3mf_model_queryreader(model, "3mf", &reader), 0);
        const bool read = NMR::lib3mf_reader_readfromfileutf8(reader, path.c_str()) == 0;
        NMR::lib3mf_release(reader);
        NMR::lib3mf_release(model);
        EXPECT_EQ(read, largest == 1e9f) << largest;
        EXPECT_EQ(within, read) << largest;
    }
}

// Triangles whose three corners all take one value each.
struct ValuedTriangles {
    PolygonsIndexedNormal mesh;
    VertexColours colours;
    ValuedTriangles(const std::string& mode, const std::vector<float>& means) {
        const auto count = std::uint32_t(means.size());
        mesh.allocate(3 * count, count);
        colours = {mode, -8.0f, 8.0f, {}, {}};
        for (std::uint32_t t = 0; t < count; ++t) {
            for (std::uint32_t k = 0; k < 3; ++k) {
                mesh.vertices[3 * t + k] = {float(t), float(k), 0.0f};
                colours.values.push_back(means[t]);
            }
            mesh.triangles[t] = {3 * t, 3 * t + 1, 3 * t + 2};
        }
    }
    TriangleMaterials bands() const {
        return bandTriangles(mesh, colours, 4, BandSpan::occurringValues);
    }
};

// Without a range the bands cut the triangles' own values into equal shares,
// a spike and a crowd of equal values included, the extremes in the end
// bands; a signed colouring keeps white at 0. Values that make no span fall
// back to the range.
TEST(ThreeMfWriter, bandsWithoutARangeHoldEqualSharesOfTheTriangles) {
    const ValuedTriangles spike("gaussian", {0.3f, -1, 0.1f, 7, -0.9f, 0.2f, 0, 0.4f});
    const TriangleMaterials bands = spike.bands();
    EXPECT_EQ(bands.ofTriangle, (std::vector<std::uint8_t>{2, 0, 1, 3, 0, 2, 1, 3}));
    EXPECT_EQ(bands.names.front(), "gaussian -1 to 0");
    EXPECT_EQ(bands.names.back(), "gaussian 0.4 to 7");
    const Rgb8 nearZero = bands.colours[1]; // 0 to 0.2: about white
    EXPECT_GT(nearZero.r, nearZero.b);
    EXPECT_GT(int(nearZero.r) + nearZero.g + nearZero.b, 600);

    const ValuedTriangles crowd("height", {0, 0, 3, 0, 0, 1, 2, 0});
    EXPECT_EQ(crowd.bands().ofTriangle, (std::vector<std::uint8_t>{0, 0, 3, 0, 0, 1, 2, 0}));

    const ValuedTriangles flat("gaussian", {2, 2, 2, NAN});
    EXPECT_EQ(flat.bands().names.front(), "gaussian -8 to -4");
    EXPECT_EQ(flat.bands().ofTriangle, (std::vector<std::uint8_t>{2, 2, 2, 0}));
}
