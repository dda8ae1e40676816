#pragma once

#include "pictures/AnimationWriter.h"

#include <cstdio>

struct WebPAnimEncoder;

namespace Vextal {

// An animated WebP that loops forever, made by libwebp's animation encoder:
// lossless unless the format gives a quality, with alpha when the format is
// transparent. The encoder holds the frames until finish() writes the file.
class WebpWriter : public AnimationWriter {
public:
    WebpWriter(std::FILE* out, const AnimationFormat& format);
    ~WebpWriter() override;

    std::string start() override;
    std::string addFrame(const RgbaPicture& frame) override;
    std::string finish() override;

private:
    std::FILE* out;
    AnimationFormat format;
    WebPAnimEncoder* encoder = nullptr;
    std::uint32_t frameIndex = 0;
};

} // namespace Vextal
