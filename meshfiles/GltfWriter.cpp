#include "meshfiles/GltfWriter.h"

#include "mesh/PolygonsIndexedNormal.h"
#include "meshfiles/LittleEndian.h"
#include "meshfiles/TriangleStream.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <string_view>

namespace Vextal {

namespace {

constexpr unsigned arrayBuffer = 34962;        // vertex attributes
constexpr unsigned elementArrayBuffer = 34963; // indices
constexpr unsigned floatComponents = 5126;
constexpr unsigned unsignedIntComponents = 5125;

// The buffer: positions, normals, the colours if any, then the indices,
// each 4-byte aligned.
struct Layout {
    std::uint64_t positions, normals, colours, indices, total;
};
Layout layoutOf(const PolygonsIndexedNormal& mesh, const VertexColours* colours) {
    const std::uint64_t vectors = std::uint64_t(mesh.vertexCount) * sizeof(Vec3);
    const std::uint64_t indices = std::uint64_t(mesh.triangleCount) * sizeof(Triangle);
    const std::uint64_t colourBytes = colours ? vectors : 0;
    return {vectors, vectors, colourBytes, indices, 2 * vectors + colourBytes + indices};
}

// An sRGB level as a linear intensity from 0 to 1.
float linearOf(std::uint8_t level) {
    const double s = level / 255.0;
    return float(s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4));
}

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", value);
    return text;
}

std::string quoted(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\')
            out += '\\';
        if (static_cast<unsigned char>(c) < 0x20)
            continue; // a control character has no place in a name
        out += c;
    }
    return out + "\"";
}

// The exact float bounds of the positions, written so that they read back
// as the same floats (the validator compares them with the data).
std::string positionBounds(const PolygonsIndexedNormal& mesh) {
    Vec3 lo = mesh.vertices[0], hi = mesh.vertices[0];
    for (std::uint32_t k = 1; k < mesh.vertexCount; ++k) {
        const Vec3 v = mesh.vertices[k];
        lo = {std::min(lo.x, v.x), std::min(lo.y, v.y), std::min(lo.z, v.z)};
        hi = {std::max(hi.x, v.x), std::max(hi.y, v.y), std::max(hi.z, v.z)};
    }
    return "\"min\":[" + number(lo.x) + "," + number(lo.y) + "," + number(lo.z) + "],\"max\":[" +
           number(hi.x) + "," + number(hi.y) + "," + number(hi.z) + "]";
}

std::string indexBounds(const PolygonsIndexedNormal& mesh) {
    std::uint32_t lo = UINT32_MAX, hi = 0;
    for (std::uint32_t t = 0; t < mesh.triangleCount; ++t) {
        const Triangle& f = mesh.triangles[t];
        lo = std::min({lo, f.i0, f.i1, f.i2});
        hi = std::max({hi, f.i0, f.i1, f.i2});
    }
    return "\"min\":[" + std::to_string(lo) + "],\"max\":[" + std::to_string(hi) + "]";
}

std::string bufferView(std::uint64_t offset, std::uint64_t length, unsigned target) {
    return "{\"buffer\":0,\"byteOffset\":" + std::to_string(offset) +
           ",\"byteLength\":" + std::to_string(length) + ",\"target\":" + std::to_string(target) +
           "}";
}

std::string accessor(int view, unsigned components, std::uint64_t count, const char* type,
                     const std::string& bounds) {
    std::string text = "{\"bufferView\":" + std::to_string(view) +
                       ",\"componentType\":" + std::to_string(components) +
                       ",\"count\":" + std::to_string(count) + ",\"type\":\"" + type + "\"";
    if (!bounds.empty())
        text += "," + bounds;
    return text + "}";
}

// The whole JSON document; `buffer` is the buffer object's members.
std::string documentFor(const PolygonsIndexedNormal& mesh, const std::string& comment,
                        const std::string& buffer, const VertexColours* colours) {
    const Layout at = layoutOf(mesh, colours);
    const bool empty = mesh.vertexCount == 0 || mesh.triangleCount == 0;
    std::string json = "{\"asset\":{\"version\":\"2.0\",\"generator\":\"vextal-export\"},"
                       "\"scene\":0,\"scenes\":[{\"nodes\":[0]}],";
    const std::string extras = colours ? ",\"extras\":{\"colour\":" + quoted(colours->mode) +
                                             ",\"range\":[" + number(colours->low) + "," +
                                             number(colours->high) + "]}"
                                       : "";
    if (empty)
        return json + "\"nodes\":[{\"name\":" + quoted(comment) + extras + "}]}";
    json += "\"nodes\":[{\"mesh\":0,\"name\":" + quoted(comment) + extras + "}],";
    // Accessors 0, 1, 2: positions, normals, indices; 3: the colours.
    json += "\"meshes\":[{\"primitives\":[{\"attributes\":{\"POSITION\":0,\"NORMAL\":1" +
            std::string(colours ? ",\"COLOR_0\":3" : "") + "},\"indices\":2," +
            std::string(colours ? "\"material\":0," : "") + "\"mode\":4}]}],";
    // Without a material a viewer takes glTF's default, fully metallic,
    // which shows the colours dark and dull: a matte surface shows them as
    // vextal-snapshot does, lit from the side and never mirror-like.
    if (colours)
        json += "\"materials\":[{\"name\":\"vertex colours\",\"pbrMetallicRoughness\":"
                "{\"metallicFactor\":0,\"roughnessFactor\":1}}],";
    json += "\"buffers\":[{" + buffer + "}],";
    const std::uint64_t indicesAt = at.positions + at.normals + at.colours;
    json += "\"bufferViews\":[" + bufferView(0, at.positions, arrayBuffer) + "," +
            bufferView(at.positions, at.normals, arrayBuffer) + "," +
            bufferView(indicesAt, at.indices, elementArrayBuffer);
    if (colours)
        json += "," + bufferView(at.positions + at.normals, at.colours, arrayBuffer);
    json += "],";
    json +=
        "\"accessors\":[" +
        accessor(0, floatComponents, mesh.vertexCount, "VEC3", positionBounds(mesh)) + "," +
        accessor(1, floatComponents, mesh.vertexCount, "VEC3", "") + "," +
        accessor(2, unsignedIntComponents, 3ull * mesh.triangleCount, "SCALAR", indexBounds(mesh));
    if (colours)
        json += "," + accessor(3, floatComponents, mesh.vertexCount, "VEC3", "");
    return json + "]}";
}

// Hands the buffer's bytes to `sink` in pieces, in order.
template <class Sink>
void emitBuffer(const PolygonsIndexedNormal& mesh, const VertexColours* colours, Sink&& sink) {
    if (mesh.vertexCount == 0 || mesh.triangleCount == 0)
        return;
    sink(reinterpret_cast<const unsigned char*>(mesh.vertices), mesh.vertexCount * sizeof(Vec3));
    sink(reinterpret_cast<const unsigned char*>(mesh.normals), mesh.vertexCount * sizeof(Vec3));
    if (colours) {
        std::array<float, 256> linear;
        for (int level = 0; level < 256; ++level)
            linear[level] = linearOf(std::uint8_t(level));
        constexpr std::size_t block = 1 << 14;
        std::vector<Vec3> written(std::min<std::size_t>(block, mesh.vertexCount));
        for (std::size_t first = 0; first < mesh.vertexCount; first += block) {
            const std::size_t count = std::min<std::size_t>(block, mesh.vertexCount - first);
            for (std::size_t k = 0; k < count; ++k) {
                const Rgb8 c = colours->colours[first + k];
                written[k] = {linear[c.r], linear[c.g], linear[c.b]};
            }
            sink(reinterpret_cast<const unsigned char*>(written.data()), count * sizeof(Vec3));
        }
    }
    forEachWrittenTriangles(mesh, [&](const Triangle* triangles, std::size_t count) {
        sink(reinterpret_cast<const unsigned char*>(triangles), count * sizeof(Triangle));
    });
}

// Base64 of a stream of pieces: up to two bytes wait for the next piece.
class Base64Writer {
public:
    explicit Base64Writer(std::FILE* out) : out(out) {}

    void add(const unsigned char* bytes, std::size_t size) {
        std::size_t k = 0;
        while (held > 0 && held < 3 && k < size)
            carry[held++] = bytes[k++];
        if (held == 3) {
            encode(carry, text);
            flushText(4);
            held = 0;
        }
        std::string chunk;
        char quad[4];
        for (; k + 3 <= size; k += 3) {
            encode(bytes + k, quad);
            chunk.append(quad, 4);
            if (chunk.size() >= 1 << 16) {
                std::fwrite(chunk.data(), 1, chunk.size(), out);
                chunk.clear();
            }
        }
        std::fwrite(chunk.data(), 1, chunk.size(), out);
        while (k < size)
            carry[held++] = bytes[k++];
    }

    void finish() {
        if (held == 0)
            return;
        const unsigned char last[3] = {carry[0], held > 1 ? carry[1] : (unsigned char)0, 0};
        encode(last, text);
        for (int k = int(held) + 1; k < 4; ++k)
            text[k] = '=';
        flushText(4);
        held = 0;
    }

private:
    static void encode(const unsigned char* three, char* four) {
        static constexpr char digits[] =
            "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
        const std::uint32_t bits = std::uint32_t(three[0]) << 16 | three[1] << 8 | three[2];
        for (int k = 0; k < 4; ++k)
            four[k] = digits[(bits >> (18 - 6 * k)) & 63];
    }
    void flushText(std::size_t size) { std::fwrite(text, 1, size, out); }

    std::FILE* out;
    unsigned char carry[3] = {};
    std::size_t held = 0;
    char text[4] = {};
};

} // namespace

void writeGlb(std::FILE* out, const PolygonsIndexedNormal& mesh, const std::string& comment,
              const VertexColours* colours) {
    const Layout at = layoutOf(mesh, colours);
    std::string json =
        documentFor(mesh, comment, "\"byteLength\":" + std::to_string(at.total), colours);
    json.resize((json.size() + 3) / 4 * 4, ' ');
    const bool withBuffer = mesh.vertexCount > 0 && mesh.triangleCount > 0;
    const std::uint64_t length = 12 + 8 + json.size() + (withBuffer ? 8 + at.total : 0);
    LittleEndianRecord<20> header;
    header.u32(0x46546C67); // "glTF"
    header.u32(2);
    header.u32(std::uint32_t(length));
    header.u32(std::uint32_t(json.size()));
    header.u32(0x4E4F534A); // "JSON"
    header.writeTo(out);
    std::fwrite(json.data(), 1, json.size(), out);
    if (!withBuffer)
        return;
    LittleEndianRecord<8> chunk;
    chunk.u32(std::uint32_t(at.total));
    chunk.u32(0x004E4942); // "BIN\0"
    chunk.writeTo(out);
    emitBuffer(mesh, colours, [&](const unsigned char* bytes, std::size_t size) {
        std::fwrite(bytes, 1, size, out);
    });
}

void writeGltf(std::FILE* out, const PolygonsIndexedNormal& mesh, const std::string& comment,
               const VertexColours* colours) {
    const Layout at = layoutOf(mesh, colours);
    const std::string marker = "@BUFFER@";
    const std::string json = documentFor(
        mesh, comment, "\"byteLength\":" + std::to_string(at.total) + ",\"uri\":\"" + marker + "\"",
        colours);
    const std::size_t split = json.find(marker);
    if (split == std::string::npos) {
        std::fputs(json.c_str(), out);
        std::fputc('\n', out);
        return;
    }
    std::fwrite(json.data(), 1, split, out);
    std::fputs("data:application/octet-stream;base64,", out);
    Base64Writer base64(out);
    emitBuffer(mesh, colours,
               [&](const unsigned char* bytes, std::size_t size) { base64.add(bytes, size); });
    base64.finish();
    std::fputs(json.c_str() + split + marker.size(), out);
    std::fputc('\n', out);
}

} // namespace Vextal
