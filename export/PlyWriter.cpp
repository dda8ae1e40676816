#include "export/PlyWriter.h"

#include "export/LittleEndian.h"
#include "mesh/PolygonsIndexedNormal.h"

#include <algorithm>

namespace Vextal {

namespace {

void writeHeader(std::FILE* out, const PolygonsIndexedNormal& mesh, std::string comment) {
    // A line break would end the comment and corrupt the header.
    std::replace_if(
        comment.begin(), comment.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
    std::fprintf(out,
                 "ply\n"
                 "format binary_little_endian 1.0\n"
                 "comment %s\n"
                 "element vertex %lu\n"
                 "property float x\n"
                 "property float y\n"
                 "property float z\n"
                 "property float nx\n"
                 "property float ny\n"
                 "property float nz\n"
                 "element face %lu\n"
                 "property list uchar uint vertex_indices\n"
                 "end_header\n",
                 comment.c_str(), (unsigned long)mesh.vertexCount,
                 (unsigned long)mesh.triangleCount);
}

void writeVertices(std::FILE* out, const PolygonsIndexedNormal& mesh) {
    LittleEndianRecord<24> record;
    for (std::uint32_t k = 0; k < mesh.vertexCount; ++k) {
        const Vec3 p = mesh.vertices[k];
        // normalCount equals vertexCount after allocate; guard all the same.
        const Vec3 n = k < mesh.normalCount ? mesh.normals[k] : Vec3{};
        record.f32(p.x);
        record.f32(p.y);
        record.f32(p.z);
        record.f32(n.x);
        record.f32(n.y);
        record.f32(n.z);
        record.writeTo(out);
    }
}

void writeFaces(std::FILE* out, const PolygonsIndexedNormal& mesh) {
    LittleEndianRecord<13> record;
    for (std::uint32_t t = 0; t < mesh.triangleCount; ++t) {
        const Triangle& f = mesh.triangles[t];
        record.u8(3);
        record.u32(f.i0);
        record.u32(f.i2);
        record.u32(f.i1);
        record.writeTo(out);
    }
}

} // namespace

void writePly(std::FILE* out, const PolygonsIndexedNormal& mesh, const std::string& comment) {
    writeHeader(out, mesh, comment);
    writeVertices(out, mesh);
    writeFaces(out, mesh);
}

} // namespace Vextal
