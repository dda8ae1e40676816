#pragma once

#include "mesh/PolygonsIndexedNormal.h"
#include "output/OutputFile.h"
#include "support/TempDir.h"

#include <bit>
#include <cstdint>
#include <cstdio>
#include <string>

#include <gtest/gtest.h>

namespace VextalTest {

using MeshWriter = void (*)(std::FILE*, const Vextal::PolygonsIndexedNormal&, const std::string&);

// The bytes a writer produces for the mesh, through a real file.
inline std::string exportToBytes(MeshWriter write, const Vextal::PolygonsIndexedNormal& mesh,
                                 const std::string& comment) {
    TempDir dir;
    const std::string path = dir.path("mesh.out");
    Vextal::OutputFile file(path);
    write(file.stream(), mesh, comment);
    EXPECT_TRUE(file.commit());
    return readFile(path);
}

// Reads little-endian values from a byte string, least significant byte first,
// independently of the host's byte order.
class LittleEndianReader {
public:
    LittleEndianReader(const std::string& bytes, std::size_t offset) : data(bytes), at(offset) {}

    std::uint8_t u8() { return std::uint8_t(data.at(at++)); }
    std::uint16_t u16() { return std::uint16_t(u8() | (u8() << 8)); }
    std::uint32_t u32() {
        const std::uint32_t low = u16();
        return low | (std::uint32_t(u16()) << 16);
    }
    float f32() { return std::bit_cast<float>(u32()); }
    Vextal::Vec3 vec3() {
        const float x = f32(), y = f32();
        return {x, y, f32()};
    }
    std::size_t offset() const { return at; }

private:
    const std::string& data;
    std::size_t at;
};

inline bool sameBits(Vextal::Vec3 a, Vextal::Vec3 b) {
    return std::bit_cast<std::uint32_t>(a.x) == std::bit_cast<std::uint32_t>(b.x) &&
           std::bit_cast<std::uint32_t>(a.y) == std::bit_cast<std::uint32_t>(b.y) &&
           std::bit_cast<std::uint32_t>(a.z) == std::bit_cast<std::uint32_t>(b.z);
}

} // namespace VextalTest
