#include "meshfiles/ObjWriter.h"

#include "mesh/PolygonsIndexedNormal.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string_view>

namespace Vextal {

namespace {

// A space and the number as printf's "%.9g" writes it (std::to_chars with
// the general format and a precision is defined to give those characters,
// several times faster); a NaN as "nan" whatever its sign, as readers expect.
char* appendNumber(char* at, float value) {
    *at++ = ' ';
    if (std::isnan(value))
        return std::copy_n("nan", 3, at);
    return std::to_chars(at, at + 32, double(value), std::chars_format::general, 9).ptr;
}

// A space and a colour channel from 0 to 1, in the fewest digits that tell
// the 256 levels apart.
char* appendChannel(char* at, std::uint8_t level) {
    *at++ = ' ';
    return std::to_chars(at, at + 16, float(level) / 255.0f).ptr;
}

// A stream that has failed (a full disk, an output stopped) takes nothing
// more: formatting the rest of a large mesh would only cost time.
constexpr std::uint32_t failureLook = 1 << 16;

bool failed(std::FILE* out, std::uint32_t k) {
    return k % failureLook == 0 && std::ferror(out);
}

void writeVectors(std::FILE* out, std::string_view tag, const Vec3* vectors, std::uint32_t count,
                  const VertexColours* colours = nullptr) {
    char line[192];
    for (std::uint32_t k = 0; k < count && !failed(out, k); ++k) {
        char* at = std::copy(tag.begin(), tag.end(), line);
        at = appendNumber(at, vectors[k].x);
        at = appendNumber(at, vectors[k].y);
        at = appendNumber(at, vectors[k].z);
        if (colours) {
            const Rgb8 c = colours->colours[k];
            at = appendChannel(at, c.r);
            at = appendChannel(at, c.g);
            at = appendChannel(at, c.b);
        }
        *at++ = '\n';
        std::fwrite(line, 1, std::size_t(at - line), out);
    }
}

// "a//a", a vertex with its normal of the same (1-based) number.
char* appendCorner(char* at, unsigned long index) {
    *at++ = ' ';
    at = std::to_chars(at, at + 20, index).ptr;
    *at++ = '/';
    *at++ = '/';
    return std::to_chars(at, at + 20, index).ptr;
}

} // namespace

void writeObj(std::FILE* out, const PolygonsIndexedNormal& mesh, const std::string& comment) {
    writeObj(out, mesh, comment, nullptr);
}

void writeObj(std::FILE* out, const PolygonsIndexedNormal& mesh, const std::string& comment,
              const VertexColours* colours) {
    std::fprintf(out, "# %s\n", comment.c_str());
    if (colours)
        std::fprintf(out, "# colour %s, range %.9g to %.9g\n", colours->mode.c_str(),
                     double(colours->low), double(colours->high));
    writeVectors(out, "v", mesh.vertices, mesh.vertexCount, colours);
    writeVectors(out, "vn", mesh.normals, mesh.normalCount);
    char line[128];
    for (std::uint32_t t = 0; t < mesh.triangleCount && !failed(out, t); ++t) {
        const Triangle& f = mesh.triangles[t];
        char* at = line;
        *at++ = 'f';
        for (const std::uint32_t corner : {f.i0, f.i2, f.i1})
            at = appendCorner(at, corner + 1ul);
        *at++ = '\n';
        std::fwrite(line, 1, std::size_t(at - line), out);
    }
}

} // namespace Vextal
