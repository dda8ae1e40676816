#include "mesh/MeshHash.h"

#include "mesh/PolygonsIndexedNormal.h"

#include <cstdio>
#include <cstring>

namespace Vextal {

namespace {

constexpr std::uint64_t fnvOffset = 14695981039346656037ull;
constexpr std::uint64_t fnvPrime = 1099511628211ull;

// Bytes in little-endian order on every machine, so a browser's hash and
// a desktop's can be compared.
void mix(std::uint64_t& hash, const void* data, std::size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (std::size_t k = 0; k < size; ++k) {
        hash ^= bytes[k];
        hash *= fnvPrime;
    }
}

void mixWords(std::uint64_t& hash, const void* data, std::size_t words) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (std::size_t k = 0; k < words; ++k) {
        std::uint32_t word;
        std::memcpy(&word, bytes + 4 * k, 4);
        const unsigned char little[4] = {
            static_cast<unsigned char>(word), static_cast<unsigned char>(word >> 8),
            static_cast<unsigned char>(word >> 16), static_cast<unsigned char>(word >> 24)};
        mix(hash, little, 4);
    }
}

} // namespace

std::uint64_t meshHash(const PolygonsIndexedNormal& mesh) {
    std::uint64_t hash = fnvOffset;
    const std::uint32_t counts[3] = {mesh.vertexCount, mesh.normalCount, mesh.triangleCount};
    mixWords(hash, counts, 3);
    if (mesh.vertices)
        mixWords(hash, mesh.vertices, 3 * std::size_t(mesh.vertexCount));
    if (mesh.normals)
        mixWords(hash, mesh.normals, 3 * std::size_t(mesh.normalCount));
    if (mesh.triangles)
        mixWords(hash, mesh.triangles, 3 * std::size_t(mesh.triangleCount));
    return hash;
}

std::string meshHashText(const PolygonsIndexedNormal& mesh) {
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(meshHash(mesh)));
    return text;
}

} // namespace Vextal
