#include "fit/PointFiles.h"

#include "fit/PlyPoints.h"
#include "fit/PointStream.h"

#include <bit>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <string_view>
#include <sys/stat.h>

namespace Vextal {

namespace {

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

// Reads up to `count` numbers from the text; returns how many were read. The
// words "nan" and "inf" read as what they say, so such points are counted.
int numbers(std::string_view text, double* values, int count) {
    int got = 0;
    const char* p = text.data();
    const char* end = p + text.size();
    while (got < count) {
        while (p < end && (*p == ' ' || *p == '\t' || *p == ','))
            ++p;
        if (p == end)
            break;
        if (*p == '+')
            ++p;
        const auto [next, error] = std::from_chars(p, end, values[got]);
        if (error != std::errc() && error != std::errc::result_out_of_range)
            break;
        if (error == std::errc::result_out_of_range)
            values[got] = HUGE_VAL;
        p = next;
        ++got;
    }
    return got;
}

std::string lineError(std::uint64_t line, const std::string& what) {
    return "line " + std::to_string(line) + ": " + what;
}

// x y z a line (a 2D outline: x y, z 0); blank lines and "#" comments
// skipped. `first`, when given, is the line after the `before` lines already
// read, the one the format was told by.
void readText(ByteSource& source, Reservoir& points, PointRead& out, int perLine,
              const std::string* first = nullptr, std::uint64_t before = 0) {
    std::string text = first ? *first : std::string();
    std::uint64_t number = before;
    for (bool have = first != nullptr; have || source.line(text); have = false) {
        ++number;
        const std::string_view line = trimmed(text);
        if (line.empty() || line.front() == '#')
            continue;
        double v[3] = {0, 0, 0};
        if (numbers(line, v, perLine) < perLine) {
            out.error =
                lineError(number, "expected " + std::string(perLine == 3 ? "x y z" : "x y") +
                                      ", found '" + std::string(line.substr(0, 40)) + "'");
            return;
        }
        points.add(v[0], v[1], v[2]);
    }
}

void readObj(ByteSource& source, Reservoir& points, PointRead& out, std::string first) {
    std::uint64_t number = 0;
    std::string text = std::move(first);
    do {
        ++number;
        const std::string_view line = trimmed(text);
        if (line.size() < 2 || line[0] != 'v' || (line[1] != ' ' && line[1] != '\t'))
            continue;
        double v[3];
        if (numbers(line.substr(2), v, 3) < 3) {
            out.error = lineError(number, "a vertex needs three coordinates");
            return;
        }
        points.add(v[0], v[1], v[2]);
    } while (source.line(text));
}

void readAsciiStl(ByteSource& source, Reservoir& points, PointRead& out) {
    std::string text;
    std::uint64_t number = 1;
    while (source.line(text)) {
        ++number;
        const std::string_view line = trimmed(text);
        if (!line.starts_with("vertex"))
            continue;
        double v[3];
        if (numbers(line.substr(6), v, 3) < 3) {
            out.error = lineError(number, "a vertex needs three coordinates");
            return;
        }
        points.add(v[0], v[1], v[2]);
    }
}

float littleFloat(const char* bytes) {
    std::uint32_t bits;
    std::memcpy(&bits, bytes, 4);
    if constexpr (std::endian::native == std::endian::big)
        bits = __builtin_bswap32(bits);
    return std::bit_cast<float>(bits);
}

void readBinaryStl(ByteSource& source, Reservoir& points, PointRead& out, const char* header) {
    std::uint32_t count;
    std::memcpy(&count, header + 80, 4);
    if constexpr (std::endian::native == std::endian::big)
        count = __builtin_bswap32(count);
    if (source.size() > 0 && source.size() != 84 + 50 * std::uint64_t(count)) {
        out.error = "the binary STL's header counts " + std::to_string(count) +
                    " triangles, but its size holds " +
                    std::to_string(source.size() < 84 ? 0 : (source.size() - 84) / 50);
        return;
    }
    char record[50];
    for (std::uint32_t k = 0; k < count; ++k) {
        if (!source.bytes(record, 50)) {
            out.error = "the binary STL ends after " + std::to_string(k) + " of its " +
                        std::to_string(count) + " triangles";
            return;
        }
        for (int c = 0; c < 3; ++c) {
            const char* v = record + 12 + 12 * c;
            points.add(littleFloat(v), littleFloat(v + 4), littleFloat(v + 8));
        }
    }
}

bool isObjKeyword(std::string_view line) {
    const std::string_view word = line.substr(0, line.find_first_of(" \t"));
    for (const char* keyword : {"v", "vn", "vt", "vp", "f", "l", "o", "g", "s", "mtllib", "usemtl"})
        if (word == keyword)
            return true;
    return false;
}

bool sizeIsBinaryStl(const char* head, std::uint64_t size) {
    std::uint32_t count;
    std::memcpy(&count, head + 80, 4);
    if constexpr (std::endian::native == std::endian::big)
        count = __builtin_bswap32(count);
    return size == 84 + 50 * std::uint64_t(count);
}

} // namespace

PointRead readPoints(const std::string& path, const PointReadOptions& options) {
    PointRead out;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                         std::fclose);
    if (!file) {
        out.error = std::string("cannot be read: ") + std::strerror(errno);
        return out;
    }
    struct stat info {};
    if (fstat(fileno(file.get()), &info) == 0 && S_ISDIR(info.st_mode)) {
        out.error = "is a directory, not a file of points";
        return out;
    }
    ByteSource source(file.get(), options);
    // Points are counted aloud only where the share read cannot be told.
    PointReadOptions told = options;
    if (source.size() > 0)
        told.counted = nullptr;
    Reservoir points(out, told);
    char head[84] = {};
    const std::string_view start = source.peek(sizeof head);
    const std::size_t got = start.size();
    std::memcpy(head, start.data(), got);
    const bool binary = start.find('\0') != std::string_view::npos;
    if (start.starts_with("ply\n") || start.starts_with("ply\r\n")) {
        out.format = "PLY";
        readPly(source, points, out);
    } else if (got == 84 && (sizeIsBinaryStl(head, source.size()) || binary)) {
        out.format = "STL";
        source.bytes(head, 84);
        readBinaryStl(source, points, out, head);
    } else if (start.starts_with("solid")) {
        out.format = "STL";
        readAsciiStl(source, points, out);
    } else {
        std::string first;
        std::uint64_t before = 0;
        bool any = false;
        while ((any = source.line(first))) {
            const std::string_view line = trimmed(first);
            if (!line.empty() && line.front() != '#')
                break;
            ++before;
        }
        if (isObjKeyword(trimmed(first))) {
            out.format = "OBJ";
            readObj(source, points, out, first);
        } else {
            out.format = "text";
            if (any)
                readText(source, points, out, 3, &first, before);
        }
    }
    if (std::ferror(file.get()) && out.error.empty())
        out.error = "cannot be read: input/output error";
    return out;
}

PointRead readOutline(const std::string& path, const PointReadOptions& options) {
    PointRead out;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                         std::fclose);
    if (!file) {
        out.error = std::string("cannot be read: ") + std::strerror(errno);
        return out;
    }
    out.format = "text";
    ByteSource source(file.get(), options);
    Reservoir points(out, options);
    readText(source, points, out, 2);
    return out;
}

} // namespace Vextal
