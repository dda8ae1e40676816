#pragma once

#include "fit/PointFiles.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <sys/stat.h>

namespace Vextal {

// Keeps every point up to the limit, then a uniform sample of all of them.
class Reservoir {
public:
    Reservoir(PointRead& into, const PointReadOptions& options)
        : out(into), keep(options.keep), random(options.randomKey), counted(options.counted) {}

    void add(double x, double y, double z) {
        if ((++out.read & 0xFFFFF) == 0 && counted)
            counted(out.read);
        if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(z)) {
            ++out.notFinite;
            return;
        }
        ++finite;
        if (out.points.size() < keep) {
            out.points.push_back({x, y, z});
            return;
        }
        const std::uint64_t slot = random() % finite;
        if (slot < keep)
            out.points[slot] = {x, y, z};
    }

private:
    PointRead& out;
    std::uint64_t keep;
    std::uint64_t finite = 0;
    std::mt19937_64 random;
    const std::function<void(std::uint64_t)>& counted;
};

// A file read a block at a time, with the share read told now and then.
class ByteSource {
public:
    ByteSource(std::FILE* file, const PointReadOptions& options) : file(file), options(options) {
        struct stat info {};
        if (fstat(fileno(file), &info) == 0 && S_ISREG(info.st_mode))
            total = std::uint64_t(info.st_size);
    }

    // The next line without its end; false at the end of the file.
    bool line(std::string& text) {
        text.clear();
        for (;;) {
            if (at == filled && !refill())
                return !text.empty();
            const char* start = buffer.get() + at;
            const void* end = std::memchr(start, '\n', filled - at);
            const std::size_t length =
                end ? std::size_t(static_cast<const char*>(end) - start) : filled - at;
            text.append(start, length);
            at += length + (end ? 1 : 0);
            if (end) {
                if (!text.empty() && text.back() == '\r')
                    text.pop_back();
                return true;
            }
        }
    }

    // Up to the first `count` bytes, left to be read: for telling the format
    // without seeking back, which a FIFO or a pipe cannot. Only before
    // anything else is read.
    std::string_view peek(std::size_t count) {
        if (at == filled && consumed == 0)
            refill();
        return {buffer.get() + at, std::min(count, filled - at)};
    }

    // Exactly `count` bytes; false when the file ends first.
    bool bytes(char* into, std::size_t count) {
        while (count > 0) {
            if (at == filled && !refill())
                return false;
            const std::size_t piece = std::min(count, filled - at);
            std::memcpy(into, buffer.get() + at, piece);
            at += piece;
            into += piece;
            count -= piece;
        }
        return true;
    }

    std::uint64_t size() const { return total; }

private:
    bool refill() {
        filled = std::fread(buffer.get(), 1, blockSize, file);
        at = 0;
        consumed += filled;
        if (options.progress && total > 0)
            options.progress(double(consumed) / double(total));
        return filled > 0;
    }

    static constexpr std::size_t blockSize = 1 << 20;
    std::FILE* file;
    const PointReadOptions& options;
    std::unique_ptr<char[]> buffer{new char[blockSize]};
    std::size_t at = 0, filled = 0;
    std::uint64_t consumed = 0, total = 0;
};

} // namespace Vextal
