#include "meshfiles/DeflateChunks.h"

#include <isa-l/crc.h>
#include <isa-l/igzip_lib.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <vector>

// The browser build has no thread pool: its chunks are compressed in turn.
#if !defined(__EMSCRIPTEN__)
#include <tbb/parallel_pipeline.h>
#endif

namespace Vextal {

namespace {

// Compresses `text` into the start of `compressed` (which only grows) as
// raw deflate and returns its length: the end of the stream when `last`,
// else flushed to a byte boundary so that the next chunk's stream may follow.
std::size_t deflateInto(std::string_view text, bool last, std::vector<unsigned char>& compressed,
                        std::vector<unsigned char>& levelBuffer) {
    levelBuffer.resize(ISAL_DEF_LVL1_DEFAULT);
    isal_zstream stream;
    isal_deflate_init(&stream);
    stream.level = 1;
    stream.level_buf = levelBuffer.data();
    stream.level_buf_size = std::uint32_t(levelBuffer.size());
    stream.end_of_stream = last ? 1 : 0;
    stream.flush = last ? NO_FLUSH : SYNC_FLUSH;
    stream.next_in = reinterpret_cast<std::uint8_t*>(const_cast<char*>(text.data()));
    stream.avail_in = std::uint32_t(text.size());
    // Incompressible text grows by a few bytes a block at most.
    compressed.resize(std::max(compressed.size(), text.size() + text.size() / 16 + 1024));
    std::size_t used = 0;
    for (;;) {
        stream.next_out = compressed.data() + used;
        stream.avail_out = std::uint32_t(compressed.size() - used);
        isal_deflate(&stream);
        used = compressed.size() - stream.avail_out;
        const bool done = last ? stream.internal_state.state == ZSTATE_END
                               : stream.avail_in == 0 && stream.avail_out > 0;
        if (done)
            break;
        compressed.resize(compressed.size() * 2);
    }
    return used;
}

// One chunk on its way through the pipeline.
struct Chunk {
    std::size_t index = 0;
    ChunkText text;
    std::vector<unsigned char> compressed;
    std::size_t compressedSize = 0;
};

// Adds a compressed chunk to the stream: its text to the checksum and the
// sizes, its bytes to the output.
void addChunk(DeflatedSizes& sizes, const Chunk& chunk,
              const std::function<void(const unsigned char*, std::size_t)>& write) {
    const std::string_view text = chunk.text.view();
    sizes.crc =
        crc32_gzip_refl(sizes.crc, reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    sizes.size += text.size();
    sizes.compressedSize += chunk.compressedSize;
    write(chunk.compressed.data(), chunk.compressedSize);
}

} // namespace

void ChunkText::append(std::string_view text) {
    char* at = room(text.size());
    end(std::copy(text.begin(), text.end(), at));
}

char* ChunkText::room(std::size_t count) {
    if (bytes.size() < used + count)
        bytes.resize(std::max(used + count, 2 * bytes.size()));
    return bytes.data() + used;
}

DeflatedSizes deflateChunks(std::size_t count,
                            const std::function<void(std::size_t, ChunkText&)>& format,
                            const std::function<void(const unsigned char*, std::size_t)>& write,
                            const Workers& workers) {
    DeflatedSizes sizes;
#if defined(__EMSCRIPTEN__)
    (void)workers;
    Chunk chunk;
    std::vector<unsigned char> levelBuffer;
    for (chunk.index = 0; chunk.index < count; ++chunk.index) {
        chunk.text.clear();
        format(chunk.index, chunk.text);
        chunk.compressedSize =
            deflateInto(chunk.text.view(), chunk.index + 1 == count, chunk.compressed, levelBuffer);
        addChunk(sizes, chunk, write);
    }
#else
    std::size_t next = 0;
    const std::size_t inFlight = 2 * std::size_t(std::max(1u, workers.threads));
    // The chunks done with, for the next ones: their buffers are kept.
    std::vector<std::unique_ptr<Chunk>> spare;
    std::mutex spareLock;
    const auto produce = [&](tbb::flow_control& control) -> Chunk* {
        if (next == count) {
            control.stop();
            return nullptr;
        }
        std::unique_ptr<Chunk> chunk;
        {
            const std::lock_guard lock(spareLock);
            if (!spare.empty()) {
                chunk = std::move(spare.back());
                spare.pop_back();
            }
        }
        if (!chunk)
            chunk = std::make_unique<Chunk>();
        chunk->index = next++;
        return chunk.release();
    };
    const auto compress = [&](Chunk* chunk) -> Chunk* {
        thread_local std::vector<unsigned char> levelBuffer;
        chunk->text.clear();
        format(chunk->index, chunk->text);
        chunk->compressedSize = deflateInto(chunk->text.view(), chunk->index + 1 == count,
                                            chunk->compressed, levelBuffer);
        return chunk;
    };
    const auto consume = [&](Chunk* owned) {
        std::unique_ptr<Chunk> chunk(owned);
        addChunk(sizes, *chunk, write);
        const std::lock_guard lock(spareLock);
        spare.push_back(std::move(chunk));
    };
    withWorkers(workers, [&] {
        tbb::parallel_pipeline(
            inFlight,
            tbb::make_filter<void, Chunk*>(tbb::filter_mode::serial_in_order, produce) &
                tbb::make_filter<Chunk*, Chunk*>(tbb::filter_mode::parallel, compress) &
                tbb::make_filter<Chunk*, void>(tbb::filter_mode::serial_in_order, consume));
    });
#endif
    return sizes;
}

} // namespace Vextal
