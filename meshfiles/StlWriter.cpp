#include "meshfiles/StlWriter.h"

#include "mesh/PolygonsIndexedNormal.h"
#include "meshfiles/BlockWriter.h"
#include "meshfiles/LittleEndian.h"
#include "meshfiles/TriangleStream.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace Vextal {

namespace {

constexpr std::size_t headerSize = 80;

// Readers take a file that begins with "solid" for text STL, so such a comment
// is moved one place to the right behind a space.
void writeHeader(std::FILE* out, const std::string& comment) {
    char header[headerSize] = {};
    const std::string text = comment.starts_with("solid") ? " " + comment : comment;
    std::memcpy(header, text.data(), std::min(text.size(), headerSize));
    std::fwrite(header, 1, headerSize, out);
}

struct Vec3d {
    double x, y, z;
};

Vec3d widen(Vec3 v) {
    return {v.x, v.y, v.z};
}

// Right-handed unit normal of the triangle a, b, c.
Vec3 unitNormal(Vec3 a32, Vec3 b32, Vec3 c32) {
    const Vec3d a = widen(a32), b = widen(b32), c = widen(c32);
    const Vec3d u{b.x - a.x, b.y - a.y, b.z - a.z};
    const Vec3d v{c.x - a.x, c.y - a.y, c.z - a.z};
    const Vec3d n{u.y * v.z - u.z * v.y, u.z * v.x - u.x * v.z, u.x * v.y - u.y * v.x};
    const double length = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
    if (!(length > 0.0))
        return {};
    return {float(n.x / length), float(n.y / length), float(n.z / length)};
}

constexpr std::size_t facetSize = 50;

// The normal, the three corners and a zero attribute, as little-endian bytes.
void formatFacet(Vec3 a, Vec3 b, Vec3 c, unsigned char* bytes) {
    const Vec3 parts[4] = {unitNormal(a, b, c), a, b, c};
    std::memcpy(bytes, parts, sizeof parts);
    bytes[48] = bytes[49] = 0;
}

} // namespace

void writeStl(std::FILE* out, const PolygonsIndexedNormal& mesh, const std::string& comment,
              const Workers& workers) {
    writeHeader(out, comment);
    LittleEndianRecord<4> count;
    count.u32(mesh.triangleCount);
    count.writeTo(out);
    writeRecords(
        out, mesh.triangleCount, facetSize, workers, [&](std::uint32_t t, unsigned char* bytes) {
            const Triangle& f = mesh.triangles[t];
            formatFacet(mesh.vertices[f.i0], mesh.vertices[f.i2], mesh.vertices[f.i1], bytes);
        });
}

void writeStl(std::FILE* out, const PolygonsIndexedNormal& mesh, const std::string& comment) {
    writeStl(out, mesh, comment, Workers{});
}

} // namespace Vextal
