#include "meshfiles/ZipWriter.h"

#include "meshfiles/DeflateChunks.h"
#include "meshfiles/LittleEndian.h"

namespace Vextal {

namespace {

constexpr std::uint16_t versionNeeded = 20; // deflate
constexpr std::uint16_t dataDescriptorFlag = 1 << 3;
constexpr std::uint16_t deflated = 8;
constexpr std::uint16_t dosTime = 0;            // 00:00:00
constexpr std::uint16_t dosDate = (1 << 5) | 1; // 1980-01-01

} // namespace

void ZipWriter::put(const void* bytes, std::size_t size) {
    std::fwrite(bytes, 1, size, out);
    offset += size;
}

void ZipWriter::localHeader(const Entry& entry) {
    LittleEndianRecord<30> header;
    header.u32(0x04034b50);
    header.u16(versionNeeded);
    header.u16(entry.streamed ? dataDescriptorFlag : 0);
    header.u16(deflated);
    header.u16(dosTime);
    header.u16(dosDate);
    // A streamed entry's checksum and sizes come after its data.
    header.u32(entry.streamed ? 0 : entry.sizes.crc);
    header.u32(entry.streamed ? 0 : std::uint32_t(entry.sizes.compressedSize));
    header.u32(entry.streamed ? 0 : std::uint32_t(entry.sizes.size));
    header.u16(std::uint16_t(entry.name.size()));
    header.u16(0);
    offset += 30;
    header.writeTo(out);
    put(entry.name.data(), entry.name.size());
}

void ZipWriter::addWhole(std::string_view name, std::string_view bytes) {
    std::vector<unsigned char> compressed;
    const DeflatedSizes sizes = deflateChunks(
        1, [&](std::size_t, ChunkText& text) { text.append(bytes); },
        [&](const unsigned char* data, std::size_t size) {
            compressed.insert(compressed.end(), data, data + size);
        },
        Workers{});
    Entry entry{std::string(name), sizes, offset, false};
    localHeader(entry);
    put(compressed.data(), compressed.size());
    entries.push_back(std::move(entry));
}

void ZipWriter::beginStreamed(std::string_view name) {
    entries.push_back({std::string(name), {}, offset, true});
    localHeader(entries.back());
}

void ZipWriter::writeStreamed(const unsigned char* bytes, std::size_t size) {
    put(bytes, size);
}

void ZipWriter::endStreamed(const DeflatedSizes& sizes) {
    entries.back().sizes = sizes;
    LittleEndianRecord<16> descriptor;
    descriptor.u32(0x08074b50);
    descriptor.u32(sizes.crc);
    descriptor.u32(std::uint32_t(sizes.compressedSize));
    descriptor.u32(std::uint32_t(sizes.size));
    offset += 16;
    descriptor.writeTo(out);
}

void ZipWriter::finish() {
    const std::uint64_t directoryStart = offset;
    for (const Entry& entry : entries) {
        LittleEndianRecord<46> header;
        header.u32(0x02014b50);
        header.u16(versionNeeded); // made by: MS-DOS attributes, version 2.0
        header.u16(versionNeeded);
        header.u16(entry.streamed ? dataDescriptorFlag : 0);
        header.u16(deflated);
        header.u16(dosTime);
        header.u16(dosDate);
        header.u32(entry.sizes.crc);
        header.u32(std::uint32_t(entry.sizes.compressedSize));
        header.u32(std::uint32_t(entry.sizes.size));
        header.u16(std::uint16_t(entry.name.size()));
        header.u16(0); // extra field
        header.u16(0); // comment
        header.u16(0); // disk
        header.u16(0); // internal attributes
        header.u32(0); // external attributes
        header.u32(std::uint32_t(entry.headerOffset));
        offset += 46;
        header.writeTo(out);
        put(entry.name.data(), entry.name.size());
    }
    LittleEndianRecord<22> end;
    end.u32(0x06054b50);
    end.u16(0);
    end.u16(0);
    end.u16(std::uint16_t(entries.size()));
    end.u16(std::uint16_t(entries.size()));
    end.u32(std::uint32_t(offset - directoryStart));
    end.u32(std::uint32_t(directoryStart));
    end.u16(0);
    offset += 22;
    end.writeTo(out);
}

} // namespace Vextal
