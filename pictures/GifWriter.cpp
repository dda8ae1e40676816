#include "pictures/GifWriter.h"

#include <gif_lib.h>
#include <libimagequant.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace Vextal {

namespace {

// Browsers show frames of under 2 hundredths of a second for a tenth.
constexpr std::uint32_t shortestDelay = 2;

// 1 to 10: 8 keeps the palette's quality and quantises a frame in a few
// milliseconds, about a tenth of the default's time.
constexpr int quantiseSpeed = 8;

struct WriteTarget {
    std::FILE* file;
    int error = 0; // errno of the first failed write
};

int writeBytes(GifFileType* gif, const GifByteType* bytes, int length) {
    auto* target = static_cast<WriteTarget*>(gif->UserData);
    if (std::fwrite(bytes, 1, std::size_t(length), target->file) != std::size_t(length)) {
        if (target->error == 0)
            target->error = errno ? errno : EIO;
        return 0;
    }
    return length;
}

// The smallest power of two from 2 to 256 that holds count colours, as a GIF
// colour table must be.
int tableSize(unsigned count) {
    int size = 2;
    while (unsigned(size) < count)
        size *= 2;
    return size;
}

} // namespace

struct GifWriter::Encoder {
    WriteTarget target;
    GifFileType* gif = nullptr;
    liq_attr* quantiser = nullptr;

    ~Encoder() {
        if (gif)
            EGifCloseFile(gif, nullptr);
        if (quantiser)
            liq_attr_destroy(quantiser);
    }
};

GifWriter::GifWriter(std::FILE* out, const AnimationFormat& format) : out(out), format(format) {}

GifWriter::~GifWriter() = default;

std::string GifWriter::failure(const char* what) {
    if (encoder && encoder->target.error != 0)
        return std::string("cannot write: ") + std::strerror(encoder->target.error);
    const int code = encoder && encoder->gif ? encoder->gif->Error : 0;
    const char* why = code ? GifErrorString(code) : nullptr;
    return std::string(what) + (why ? std::string(": ") + why : std::string());
}

// The screen, and the application extension that makes every player loop
// the animation forever (a repeat count of 0).
std::string GifWriter::start() {
    if (!out)
        return "no stream to write to";
    encoder = std::make_unique<Encoder>();
    encoder->target.file = out;
    int error = 0;
    encoder->gif = EGifOpen(&encoder->target, writeBytes, &error);
    encoder->quantiser = liq_attr_create();
    if (!encoder->gif || !encoder->quantiser)
        return "cannot start the GIF writer";
    liq_set_speed(encoder->quantiser, quantiseSpeed);
    EGifSetGifVersion(encoder->gif, true);
    const GifByteType loopForever[] = {1, 0, 0};
    if (EGifPutScreenDesc(encoder->gif, int(format.width), int(format.height), 8, 0, nullptr) ==
            GIF_ERROR ||
        EGifPutExtensionLeader(encoder->gif, APPLICATION_EXT_FUNC_CODE) == GIF_ERROR ||
        EGifPutExtensionBlock(encoder->gif, 11, "NETSCAPE2.0") == GIF_ERROR ||
        EGifPutExtensionBlock(encoder->gif, 3, loopForever) == GIF_ERROR ||
        EGifPutExtensionTrailer(encoder->gif) == GIF_ERROR)
        return failure("cannot write the GIF header");
    const std::size_t pixels = std::size_t(format.width) * format.height;
    opaque.resize(pixels * 4);
    indices.resize(pixels);
    return {};
}

namespace {

// The frame with every pixel either fully covered or fully transparent (and
// then black), since a GIF has one transparent colour and no partial cover.
void coverFully(const RgbaPicture& frame, bool transparent, std::uint8_t* rgba) {
    const std::size_t pixels = std::size_t(frame.width) * frame.height;
    for (std::size_t k = 0; k < pixels; ++k) {
        const std::uint8_t* in = frame.bytes + 4 * k;
        std::uint8_t* to = rgba + 4 * k;
        const bool shown = !transparent || in[3] >= 128;
        for (int channel = 0; channel < 3; ++channel)
            to[channel] = shown ? in[channel] : 0;
        to[3] = shown ? 255 : 0;
    }
}

// The palette as a GIF colour table, and the entry of the transparent colour.
ColorMapObject* colourTable(const liq_palette& palette, int& transparentIndex) {
    ColorMapObject* table = GifMakeMapObject(tableSize(palette.count), nullptr);
    if (!table)
        return nullptr;
    std::memset(table->Colors, 0, sizeof(GifColorType) * std::size_t(table->ColorCount));
    transparentIndex = NO_TRANSPARENT_COLOR;
    for (unsigned k = 0; k < palette.count; ++k) {
        table->Colors[k] = {palette.entries[k].r, palette.entries[k].g, palette.entries[k].b};
        if (palette.entries[k].a == 0)
            transparentIndex = int(k);
    }
    return table;
}

} // namespace

std::string GifWriter::addFrame(const RgbaPicture& frame) {
    if (!encoder || !encoder->gif)
        return "the GIF writer was not started";
    coverFully(frame, format.transparent, opaque.data());
    liq_image* image = liq_image_create_rgba(encoder->quantiser, opaque.data(), int(format.width),
                                             int(format.height), 0);
    liq_result* result = nullptr;
    if (!image || liq_image_quantize(image, encoder->quantiser, &result) != LIQ_OK) {
        if (image)
            liq_image_destroy(image);
        return "cannot choose the colours of a GIF frame";
    }
    liq_set_dithering_level(result, 1.0f);
    liq_write_remapped_image(result, image, indices.data(), indices.size());
    int transparentIndex = NO_TRANSPARENT_COLOR;
    ColorMapObject* table = colourTable(*liq_get_palette(result), transparentIndex);
    liq_result_destroy(result);
    liq_image_destroy(image);
    if (!table)
        return "out of memory for a GIF colour table";

    GraphicsControlBlock control{};
    control.DisposalMode = format.transparent ? DISPOSE_BACKGROUND : DISPOSE_DO_NOT;
    control.DelayTime =
        int(std::max(shortestDelay, frameDuration(frameIndex++, format.framesPerSecond, 100)));
    control.TransparentColor = transparentIndex;
    GifByteType extension[4];
    EGifGCBToExtension(&control, extension);
    const bool written =
        EGifPutExtension(encoder->gif, GRAPHICS_EXT_FUNC_CODE, 4, extension) != GIF_ERROR &&
        EGifPutImageDesc(encoder->gif, 0, 0, int(format.width), int(format.height), false, table) !=
            GIF_ERROR &&
        EGifPutLine(encoder->gif, indices.data(), int(indices.size())) != GIF_ERROR;
    GifFreeMapObject(table);
    return written ? std::string() : failure("cannot write a GIF frame");
}

std::string GifWriter::finish() {
    if (!encoder || !encoder->gif)
        return "the GIF writer was not started";
    int error = 0;
    GifFileType* gif = encoder->gif;
    encoder->gif = nullptr; // closed here, whatever happens
    if (EGifCloseFile(gif, &error) == GIF_ERROR || encoder->target.error != 0) {
        if (encoder->target.error != 0)
            return std::string("cannot write: ") + std::strerror(encoder->target.error);
        return std::string("cannot end the GIF: ") + GifErrorString(error);
    }
    return {};
}

} // namespace Vextal
