#pragma once

#include "mesh/Workers.h"
#include "meshfiles/ZipWriter.h"

#include <cstddef>
#include <functional>
#include <string_view>
#include <vector>

namespace Vextal {

// A chunk's text, in a buffer that only grows: formatting into it again
// costs no clearing.
class ChunkText {
public:
    void clear() { used = 0; }
    void append(std::string_view text);
    // Room for `count` more bytes at the end; end() marks where writing stopped.
    char* room(std::size_t count);
    void end(const char* at) { used = std::size_t(at - bytes.data()); }
    std::string_view view() const { return {bytes.data(), used}; }

private:
    std::vector<char> bytes;
    std::size_t used = 0;
};

// Deflates a text made of `count` chunks into one raw deflate stream, the
// chunks formatted and compressed on the workers' threads at once and handed
// to `write` in order. format(k, text) appends chunk k's bytes to an empty
// `text`; a few texts are used over and over. Each chunk is compressed on its own (ISA-L, level 1)
// and ends on a byte boundary with an empty stored block, except the last, which ends the stream:
// their concatenation is the stream, and the bytes do not depend on the number of threads. Only a
// few chunks are held at a time.
DeflatedSizes deflateChunks(std::size_t count,
                            const std::function<void(std::size_t, ChunkText&)>& format,
                            const std::function<void(const unsigned char*, std::size_t)>& write,
                            const Workers& workers);

} // namespace Vextal
