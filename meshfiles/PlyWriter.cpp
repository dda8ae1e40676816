#include "meshfiles/PlyWriter.h"

#include "mesh/PolygonsIndexedNormal.h"
#include "meshfiles/BlockWriter.h"
#include "meshfiles/TriangleStream.h"

#include <algorithm>
#include <cstring>

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

constexpr std::size_t vertexSize = 24;
constexpr std::size_t faceSize = 13;

void writeVertices(std::FILE* out, const PolygonsIndexedNormal& mesh, const Workers& workers) {
    writeRecords(out, mesh.vertexCount, vertexSize, workers,
                 [&](std::uint32_t k, unsigned char* bytes) {
                     // normalCount equals vertexCount after allocate; guard all the same.
                     const Vec3 parts[2] = {mesh.vertices[k],
                                            k < mesh.normalCount ? mesh.normals[k] : Vec3{}};
                     std::memcpy(bytes, parts, sizeof parts);
                 });
}

// The count 3, then the corners as i0, i2, i1: counter-clockwise from outside.
void writeFaces(std::FILE* out, const PolygonsIndexedNormal& mesh, const Workers& workers) {
    writeRecords(out, mesh.triangleCount, faceSize, workers,
                 [&](std::uint32_t t, unsigned char* bytes) {
                     const Triangle& f = mesh.triangles[t];
                     const std::uint32_t corners[3] = {f.i0, f.i2, f.i1};
                     bytes[0] = 3;
                     std::memcpy(bytes + 1, corners, sizeof corners);
                 });
}

} // namespace

void writePly(std::FILE* out, const PolygonsIndexedNormal& mesh, const std::string& comment,
              const Workers& workers) {
    writeHeader(out, mesh, comment);
    writeVertices(out, mesh, workers);
    writeFaces(out, mesh, workers);
}

void writePly(std::FILE* out, const PolygonsIndexedNormal& mesh, const std::string& comment) {
    writePly(out, mesh, comment, Workers{});
}

} // namespace Vextal
