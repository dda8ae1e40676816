#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace Vextal {

// A fixed-size binary record assembled least significant byte first, whatever
// the host's byte order, then written with one fwrite. Floats go out as their
// IEEE 754 bit patterns, so they read back bit for bit.
template <std::size_t Capacity> class LittleEndianRecord {
public:
    void u8(std::uint8_t value) { bytes[used++] = value; }
    void u16(std::uint16_t value) {
        u8(std::uint8_t(value));
        u8(std::uint8_t(value >> 8));
    }
    void u32(std::uint32_t value) {
        u16(std::uint16_t(value));
        u16(std::uint16_t(value >> 16));
    }
    // memcpy rather than std::bit_cast, which the browser's C++ library lacks.
    void f32(float value) {
        std::uint32_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        u32(bits);
    }

    // Write errors stay on the stream, where the caller's commit finds them.
    void writeTo(std::FILE* out) {
        std::fwrite(bytes, 1, used, out);
        used = 0;
    }

private:
    unsigned char bytes[Capacity] = {};
    std::size_t used = 0;
};

} // namespace Vextal
