#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace Vextal {

// What a deflated entry's headers record: the CRC-32 and the sizes of its
// bytes before and after compression.
struct DeflatedSizes {
    std::uint32_t crc = 0;
    std::uint64_t size = 0;
    std::uint64_t compressedSize = 0;
};

// A ZIP archive written front to back in one pass, so that a pipe takes it
// too: every entry deflated, dated 1980-01-01 00:00 and without attributes,
// so that the same entries give the same bytes. An entry written in pieces
// has its checksum and sizes in a data descriptor after its data (general
// purpose bit 3), as readers find them in the central directory anyway. The
// classic 32-bit form only: the caller keeps every entry and the archive
// under 4 GiB. Write failures stay on the stream, for the caller to find.
class ZipWriter {
public:
    explicit ZipWriter(std::FILE* out) : out(out) {}

    // An entry whose bytes are all at hand.
    void addWhole(std::string_view name, std::string_view bytes);

    // An entry written in pieces: beginStreamed, the raw deflate bytes through
    // writeStreamed, then endStreamed with what they hold.
    void beginStreamed(std::string_view name);
    void writeStreamed(const unsigned char* bytes, std::size_t size);
    void endStreamed(const DeflatedSizes& sizes);

    // The central directory and its end record.
    void finish();

    // The bytes written so far.
    std::uint64_t written() const { return offset; }

private:
    struct Entry {
        std::string name;
        DeflatedSizes sizes;
        std::uint64_t headerOffset;
        bool streamed;
    };
    void localHeader(const Entry& entry);
    void put(const void* bytes, std::size_t size);

    std::FILE* out;
    std::uint64_t offset = 0;
    std::vector<Entry> entries;
};

} // namespace Vextal
