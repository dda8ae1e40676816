#include "export/ObjWriter.h"

#include "mesh/PolygonsIndexedNormal.h"

#include <cmath>

namespace Vextal {

namespace {

// printf would write a NaN with its sign bit as "-nan"; readers expect "nan".
void writeNumber(std::FILE* out, float value) {
    if (std::isnan(value))
        std::fputs(" nan", out);
    else
        std::fprintf(out, " %.9g", double(value));
}

void writeVectors(std::FILE* out, const char* tag, const Vec3* vectors, std::uint32_t count) {
    for (std::uint32_t k = 0; k < count; ++k) {
        std::fputs(tag, out);
        writeNumber(out, vectors[k].x);
        writeNumber(out, vectors[k].y);
        writeNumber(out, vectors[k].z);
        std::fputc('\n', out);
    }
}

} // namespace

void writeObj(std::FILE* out, const PolygonsIndexedNormal& mesh, const std::string& comment) {
    std::fprintf(out, "# %s\n", comment.c_str());
    writeVectors(out, "v", mesh.vertices, mesh.vertexCount);
    writeVectors(out, "vn", mesh.normals, mesh.normalCount);
    for (std::uint32_t t = 0; t < mesh.triangleCount; ++t) {
        const Triangle& f = mesh.triangles[t];
        const unsigned long a = f.i0 + 1ul, b = f.i2 + 1ul, c = f.i1 + 1ul;
        std::fprintf(out, "f %lu//%lu %lu//%lu %lu//%lu\n", a, a, b, b, c, c);
    }
}

} // namespace Vextal
