#include "pictures/WebpWriter.h"

#include <webp/encode.h>
#include <webp/mux.h>

#include <cerrno>
#include <cstring>

namespace Vextal {

namespace {

// Lossless effort from 0 to 9: 1 compresses a frame of smooth shading a few
// per cent worse than the default 6, in a fraction of its time.
constexpr int losslessLevel = 1;
// Lossy effort from 0 to 6: 2 is several times faster than the default 4 and
// looks the same at the same quality.
constexpr int lossyMethod = 2;

// What the encoder is told for every frame.
bool configure(WebPConfig& config, const AnimationFormat& format) {
    if (!WebPConfigInit(&config))
        return false;
    if (format.quality) {
        config.quality = float(*format.quality);
        config.method = lossyMethod;
    } else if (!WebPConfigLosslessPreset(&config, losslessLevel)) {
        return false;
    }
    return WebPValidateConfig(&config) != 0;
}

} // namespace

WebpWriter::WebpWriter(std::FILE* out, const AnimationFormat& format) : out(out), format(format) {}

WebpWriter::~WebpWriter() {
    if (encoder)
        WebPAnimEncoderDelete(encoder);
}

std::string WebpWriter::start() {
    if (!out)
        return "no stream to write to";
    WebPAnimEncoderOptions options;
    if (!WebPAnimEncoderOptionsInit(&options))
        return "the WebP library is not the one this program was built with";
    options.anim_params.loop_count = 0; // forever
    options.anim_params.bgcolor = 0;    // transparent
    encoder = WebPAnimEncoderNew(int(format.width), int(format.height), &options);
    return encoder ? std::string() : "cannot start the WebP encoder";
}

std::string WebpWriter::addFrame(const RgbaPicture& frame) {
    if (!encoder)
        return "the WebP writer was not started";
    WebPConfig config;
    if (!configure(config, format))
        return "cannot set up the WebP encoder";
    WebPPicture picture;
    if (!WebPPictureInit(&picture))
        return "cannot set up the WebP encoder";
    picture.use_argb = 1;
    picture.width = int(frame.width);
    picture.height = int(frame.height);
    const int stride = int(frame.width) * 4;
    const bool imported = format.transparent ? WebPPictureImportRGBA(&picture, frame.bytes, stride)
                                             : WebPPictureImportRGBX(&picture, frame.bytes, stride);
    const int start = int(frameStart(frameIndex++, format.framesPerSecond, 1000));
    const bool added = imported && WebPAnimEncoderAdd(encoder, &picture, start, &config);
    WebPPictureFree(&picture);
    if (!added)
        return std::string("cannot encode a WebP frame: ") + WebPAnimEncoderGetError(encoder);
    return {};
}

std::string WebpWriter::finish() {
    if (!encoder)
        return "the WebP writer was not started";
    const int end = int(frameStart(frameIndex, format.framesPerSecond, 1000));
    WebPData data;
    WebPDataInit(&data);
    if (!WebPAnimEncoderAdd(encoder, nullptr, end, nullptr) ||
        !WebPAnimEncoderAssemble(encoder, &data))
        return std::string("cannot assemble the WebP: ") + WebPAnimEncoderGetError(encoder);
    errno = 0;
    const bool written = std::fwrite(data.bytes, 1, data.size, out) == data.size;
    const int error = errno;
    WebPDataClear(&data);
    if (!written)
        return std::string("cannot write: ") + std::strerror(error ? error : EIO);
    return {};
}

} // namespace Vextal
