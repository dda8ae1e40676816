#pragma once

#include "pictures/AnimationWriter.h"

#include <cstdio>
#include <memory>
#include <vector>

namespace Vextal {

// An animated GIF that loops forever: each frame gets its own palette of up
// to 256 colours (libimagequant, dithered) and is written as it comes
// (giflib). A transparent format gives every frame one transparent colour for
// the pixels less than half covered; each frame then replaces the one before
// it instead of being laid over it.
class GifWriter : public AnimationWriter {
public:
    GifWriter(std::FILE* out, const AnimationFormat& format);
    ~GifWriter() override;

    std::string start() override;
    std::string addFrame(const RgbaPicture& frame) override;
    std::string finish() override;

    struct Encoder; // giflib's and libimagequant's objects

private:
    std::string failure(const char* what);

    std::FILE* out;
    AnimationFormat format;
    std::unique_ptr<Encoder> encoder;
    std::uint32_t frameIndex = 0;
    std::vector<std::uint8_t> opaque;  // the frame as quantised: alpha 0 or 255
    std::vector<std::uint8_t> indices; // the frame in palette indices
};

} // namespace Vextal
