#pragma once

#include "mesh/Workers.h"
#include "meshfiles/ZipWriter.h"

#include <cstddef>
#include <functional>
#include <string>

namespace Vextal {

// Deflates a text made of `count` chunks into one raw deflate stream, the
// chunks formatted and compressed on the workers' threads at once and handed
// to `write` in order. format(k, text) appends chunk k's bytes to an empty
// `text`. Each chunk is compressed on its own (ISA-L, level 1) and ends on a
// byte boundary with an empty stored block, except the last, which ends the
// stream: their concatenation is the stream, and the bytes do not depend on
// the number of threads. Only a few chunks are held at a time.
DeflatedSizes deflateChunks(std::size_t count,
                            const std::function<void(std::size_t, std::string&)>& format,
                            const std::function<void(const unsigned char*, std::size_t)>& write,
                            const Workers& workers);

} // namespace Vextal
