#include "meshfiles/PlyWriter.h"

#include "mesh/PolygonsIndexedNormal.h"
#include "meshfiles/BlockWriter.h"
#include "meshfiles/TriangleStream.h"

#include <algorithm>
#include <cstring>

namespace Vextal {

namespace {

// A line break would end a comment and corrupt the header.
std::string oneLine(std::string text) {
    std::replace_if(
        text.begin(), text.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
    return text;
}

void writeHeader(std::FILE* out, const PolygonsIndexedNormal& mesh, const std::string& comment,
                 const VertexColours* colours) {
    std::fprintf(out,
                 "ply\n"
                 "format binary_little_endian 1.0\n"
                 "comment %s\n",
                 oneLine(comment).c_str());
    if (colours)
        std::fprintf(out, "comment colour %s, range %.9g to %.9g\n", oneLine(colours->mode).c_str(),
                     double(colours->low), double(colours->high));
    std::fprintf(out,
                 "element vertex %lu\n"
                 "property float x\n"
                 "property float y\n"
                 "property float z\n"
                 "property float nx\n"
                 "property float ny\n"
                 "property float nz\n",
                 (unsigned long)mesh.vertexCount);
    if (colours)
        std::fputs("property uchar red\n"
                   "property uchar green\n"
                   "property uchar blue\n"
                   "property float quality\n",
                   out);
    std::fprintf(out,
                 "element face %lu\n"
                 "property list uchar uint vertex_indices\n"
                 "end_header\n",
                 (unsigned long)mesh.triangleCount);
}

constexpr std::size_t vertexSize = 24;
constexpr std::size_t colourSize = 7; // red, green, blue, quality
constexpr std::size_t faceSize = 13;

void writeVertices(std::FILE* out, const PolygonsIndexedNormal& mesh, const Workers& workers,
                   const VertexColours* colours) {
    writeRecords(out, mesh.vertexCount, vertexSize + (colours ? colourSize : 0), workers,
                 [&](std::uint32_t k, unsigned char* bytes) {
                     // normalCount equals vertexCount after allocate; guard all the same.
                     const Vec3 parts[2] = {mesh.vertices[k],
                                            k < mesh.normalCount ? mesh.normals[k] : Vec3{}};
                     std::memcpy(bytes, parts, sizeof parts);
                     if (!colours)
                         return;
                     const Rgb8 c = colours->colours[k];
                     const unsigned char rgb[3] = {c.r, c.g, c.b};
                     std::memcpy(bytes + vertexSize, rgb, 3);
                     std::memcpy(bytes + vertexSize + 3, &colours->values[k], 4);
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
              const Workers& workers, const VertexColours* colours) {
    writeHeader(out, mesh, comment, colours);
    writeVertices(out, mesh, workers, colours);
    writeFaces(out, mesh, workers);
}

void writePly(std::FILE* out, const PolygonsIndexedNormal& mesh, const std::string& comment,
              const Workers& workers) {
    writePly(out, mesh, comment, workers, nullptr);
}

void writePly(std::FILE* out, const PolygonsIndexedNormal& mesh, const std::string& comment) {
    writePly(out, mesh, comment, Workers{});
}

} // namespace Vextal
