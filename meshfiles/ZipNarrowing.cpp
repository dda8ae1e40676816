#include "meshfiles/ZipNarrowing.h"

#include "meshfiles/LittleEndian.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace Vextal {

namespace {

constexpr std::uint32_t localSignature = 0x04034b50;
constexpr std::uint32_t centralSignature = 0x02014b50;
constexpr std::uint32_t endSignature = 0x06054b50;
constexpr std::uint32_t end64Signature = 0x06064b50;
constexpr std::uint32_t locator64Signature = 0x07064b50;
constexpr std::uint32_t marked = 0xFFFFFFFF; // "the value is in the ZIP64 field"

std::uint64_t readLittle(const unsigned char* bytes, int size) {
    std::uint64_t value = 0;
    for (int k = size - 1; k >= 0; --k)
        value = value << 8 | bytes[k];
    return value;
}

bool readAt(std::FILE* in, std::uint64_t offset, void* bytes, std::size_t size) {
    return fseeko(in, off_t(offset), SEEK_SET) == 0 && std::fread(bytes, 1, size, in) == size;
}

struct Entry {
    std::string name;
    std::uint16_t method, time, date;
    std::uint32_t crc;
    std::uint64_t compressed, size, localOffset;
};

// The 64-bit values of an entry's ZIP64 extra field, in the order the
// format gives them: only those whose 32-bit field is marked.
void widen(Entry& entry, const unsigned char* extra, std::size_t length) {
    for (std::size_t at = 0; at + 4 <= length;) {
        const auto id = std::uint16_t(readLittle(extra + at, 2));
        const auto size = std::size_t(readLittle(extra + at + 2, 2));
        const unsigned char* field = extra + at + 4;
        if (id == 1) {
            std::size_t used = 0;
            for (std::uint64_t* value : {&entry.size, &entry.compressed, &entry.localOffset})
                if (*value == marked && used + 8 <= size) {
                    *value = readLittle(field + used, 8);
                    used += 8;
                }
        }
        at += 4 + size;
    }
}

// The central directory's place and size, from the end records.
bool findDirectory(std::FILE* in, std::uint64_t& offset, std::uint64_t& count) {
    if (fseeko(in, 0, SEEK_END) != 0)
        return false;
    const std::uint64_t length = std::uint64_t(ftello(in));
    unsigned char end[22], locator[20], end64[56];
    // lib3mf writes no archive comment, so the end record closes the file.
    if (length < 22 || !readAt(in, length - 22, end, 22) || readLittle(end, 4) != endSignature)
        return false;
    count = readLittle(end + 10, 2);
    offset = readLittle(end + 16, 4);
    if (offset != marked)
        return true;
    if (length < 42 || !readAt(in, length - 42, locator, 20) ||
        readLittle(locator, 4) != locator64Signature)
        return false;
    if (!readAt(in, readLittle(locator + 8, 8), end64, 56) ||
        readLittle(end64, 4) != end64Signature)
        return false;
    count = readLittle(end64 + 32, 8);
    offset = readLittle(end64 + 48, 8);
    return true;
}

bool readDirectory(std::FILE* in, std::vector<Entry>& entries) {
    std::uint64_t offset = 0, count = 0;
    if (!findDirectory(in, offset, count) || fseeko(in, off_t(offset), SEEK_SET) != 0)
        return false;
    for (std::uint64_t k = 0; k < count; ++k) {
        unsigned char fixed[46];
        if (std::fread(fixed, 1, 46, in) != 46 || readLittle(fixed, 4) != centralSignature)
            return false;
        Entry entry{};
        entry.method = std::uint16_t(readLittle(fixed + 10, 2));
        entry.time = std::uint16_t(readLittle(fixed + 12, 2));
        entry.date = std::uint16_t(readLittle(fixed + 14, 2));
        entry.crc = std::uint32_t(readLittle(fixed + 16, 4));
        entry.compressed = readLittle(fixed + 20, 4);
        entry.size = readLittle(fixed + 24, 4);
        entry.localOffset = readLittle(fixed + 42, 4);
        const std::size_t nameLength = readLittle(fixed + 28, 2);
        const std::size_t extraLength = readLittle(fixed + 30, 2);
        const std::size_t commentLength = readLittle(fixed + 32, 2);
        std::vector<unsigned char> rest(nameLength + extraLength + commentLength);
        if (std::fread(rest.data(), 1, rest.size(), in) != rest.size())
            return false;
        entry.name.assign(reinterpret_cast<const char*>(rest.data()), nameLength);
        widen(entry, rest.data() + nameLength, extraLength);
        entries.push_back(entry);
    }
    return true;
}

// Where an entry's compressed bytes start: after its local header.
bool dataOffset(std::FILE* in, const Entry& entry, std::uint64_t& offset) {
    unsigned char local[30];
    if (!readAt(in, entry.localOffset, local, 30) || readLittle(local, 4) != localSignature)
        return false;
    offset = entry.localOffset + 30 + readLittle(local + 26, 2) + readLittle(local + 28, 2);
    return true;
}

bool copyBytes(std::FILE* in, std::uint64_t offset, std::uint64_t size, std::FILE* out) {
    if (fseeko(in, off_t(offset), SEEK_SET) != 0)
        return false;
    std::vector<char> buffer(1 << 20);
    while (size > 0) {
        const std::size_t piece = std::size_t(std::min<std::uint64_t>(size, buffer.size()));
        if (std::fread(buffer.data(), 1, piece, in) != piece)
            return false;
        std::fwrite(buffer.data(), 1, piece, out);
        size -= piece;
    }
    return true;
}

// The fields local and central headers share, from "version needed" on.
template <std::size_t N> void commonFields(LittleEndianRecord<N>& r, const Entry& e) {
    r.u16(20); // version needed: deflate, no ZIP64
    r.u16(0);  // flags
    r.u16(e.method);
    r.u16(e.time);
    r.u16(e.date);
    r.u32(e.crc);
    r.u32(std::uint32_t(e.compressed));
    r.u32(std::uint32_t(e.size));
    r.u16(std::uint16_t(e.name.size()));
    r.u16(0); // no extra field
}

bool fitsClassicZip(const std::vector<Entry>& entries, std::uint64_t archiveSize) {
    for (const Entry& e : entries)
        if (e.size >= marked || e.compressed >= marked)
            return false;
    return entries.size() < 0xFFFF && archiveSize < marked;
}

} // namespace

std::string narrowZip(std::FILE* in, std::FILE* out) {
    std::vector<Entry> entries;
    if (!readDirectory(in, entries))
        return "the 3MF package lib3mf wrote cannot be read back";
    const std::uint64_t archiveSize = std::uint64_t(ftello(in));
    if (!fitsClassicZip(entries, archiveSize))
        return copyBytes(in, 0, archiveSize, out) ? "" : "the 3MF package cannot be copied";
    std::vector<std::uint32_t> offsets;
    std::uint64_t written = 0;
    for (const Entry& e : entries) {
        std::uint64_t from = 0;
        if (!dataOffset(in, e, from))
            return "the 3MF package lib3mf wrote has a broken entry";
        LittleEndianRecord<30> local;
        local.u32(localSignature);
        commonFields(local, e);
        local.writeTo(out);
        std::fwrite(e.name.data(), 1, e.name.size(), out);
        if (!copyBytes(in, from, e.compressed, out))
            return "the 3MF package cannot be copied";
        offsets.push_back(std::uint32_t(written));
        written += 30 + e.name.size() + e.compressed;
    }
    const std::uint64_t directory = written;
    for (std::size_t k = 0; k < entries.size(); ++k) {
        const Entry& e = entries[k];
        LittleEndianRecord<46> central;
        central.u32(centralSignature);
        central.u16(20); // made by: version 2.0, MS-DOS attributes
        commonFields(central, e);
        central.u16(0); // comment length
        central.u16(0); // disk
        central.u16(0); // internal attributes
        central.u32(0); // external attributes
        central.u32(offsets[k]);
        central.writeTo(out);
        std::fwrite(e.name.data(), 1, e.name.size(), out);
        written += 46 + e.name.size();
    }
    LittleEndianRecord<22> end;
    end.u32(endSignature);
    end.u16(0);
    end.u16(0);
    end.u16(std::uint16_t(entries.size()));
    end.u16(std::uint16_t(entries.size()));
    end.u32(std::uint32_t(written - directory));
    end.u32(std::uint32_t(directory));
    end.u16(0);
    end.writeTo(out);
    return {};
}

} // namespace Vextal
