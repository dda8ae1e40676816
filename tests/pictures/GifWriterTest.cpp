#include "pictures/GifWriter.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <gif_lib.h>

#include <cstdio>
#include <string>
#include <vector>

using namespace Vextal;
using VextalTest::TempDir;

namespace {

// Each frame's delay in hundredths of a second, as giflib reads the file.
std::vector<int> gifDelays(double framesPerSecond, std::uint32_t frames) {
    const TempDir dir;
    const std::string path = dir.path("t.gif");
    std::FILE* out = std::fopen(path.c_str(), "wb");
    AnimationFormat format;
    format.width = 4;
    format.height = 3;
    format.framesPerSecond = framesPerSecond;
    {
        GifWriter writer(out, format);
        EXPECT_EQ(writer.start(), "");
        std::vector<std::uint8_t> pixels(4 * 3 * 4);
        for (std::uint32_t k = 0; k < frames; ++k) {
            pixels.assign(pixels.size(), std::uint8_t(40 * k));
            EXPECT_EQ(writer.addFrame({4, 3, pixels.data(), false}), "");
        }
        EXPECT_EQ(writer.finish(), "");
    }
    std::fclose(out);
    int error = 0;
    GifFileType* gif = DGifOpenFileName(path.c_str(), &error);
    std::vector<int> delays;
    if (!gif || DGifSlurp(gif) != GIF_OK) {
        ADD_FAILURE() << "giflib cannot read the GIF";
    } else {
        for (int k = 0; k < gif->ImageCount; ++k) {
            GraphicsControlBlock control{};
            DGifSavedExtensionToGCB(gif, k, &control);
            delays.push_back(control.DelayTime);
        }
    }
    if (gif)
        DGifCloseFile(gif, &error);
    return delays;
}

} // namespace

// Browsers show a frame of under 2 hundredths of a second for a tenth: a
// faster rate than GIF can time is written at 2 hundredths a frame (the
// fastest they show as written), never below; slower frames keep their own
// rounded times.
TEST(GifWriter, framesShorterThanBrowsersShowTakeTheShortestDelayTheyHonour) {
    EXPECT_EQ(gifDelays(100, 3), (std::vector<int>{2, 2, 2}));
    EXPECT_EQ(gifDelays(1000, 3), (std::vector<int>{2, 2, 2}));
    EXPECT_EQ(gifDelays(50, 3), (std::vector<int>{2, 2, 2}));
    EXPECT_EQ(gifDelays(30, 3), (std::vector<int>{3, 4, 3}));
}
