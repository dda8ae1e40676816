#include "pictures/PngWriter.h"
#include "output/OutputFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <png.h>

#include <cstdio>
#include <vector>

using namespace Vextal;
using VextalTest::TempDir;

namespace {

// A picture read back by libpng's own reader, converted to RGBA.
struct ReadBack {
    bool ok = false;
    std::uint32_t width = 0, height = 0;
    bool hadAlpha = true;
    std::vector<std::uint8_t> rgba;
};

ReadBack readPng(const std::string& path) {
    ReadBack result;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return result;
    result.width = image.width;
    result.height = image.height;
    result.hadAlpha = (image.format & PNG_FORMAT_FLAG_ALPHA) != 0;
    image.format = PNG_FORMAT_RGBA;
    result.rgba.resize(PNG_IMAGE_SIZE(image));
    result.ok = png_image_finish_read(&image, nullptr, result.rgba.data(), 0, nullptr) != 0;
    return result;
}

// 3 x 2 pixels, each channel different, alpha varying as the offscreen clear leaves it.
const std::vector<std::uint8_t> threeByTwo = {
    255, 0,  0,  128, 0,  255, 0,  255, 0,  0,  255, 128, //
    10,  20, 30, 128, 40, 50,  60, 255, 70, 80, 90,  0,
};

} // namespace

TEST(PngWriter, picturesReadBackWithTheirSizeRowOrderAndColoursWithoutAlpha) {
    TempDir dir;
    const std::string path = dir.path("p.png");
    OutputFile file(path);
    EXPECT_EQ(writePng(file.stream(), {3, 2, threeByTwo.data()}, ""), "");
    ASSERT_TRUE(file.commit());

    const ReadBack back = readPng(path);
    ASSERT_TRUE(back.ok);
    EXPECT_EQ(back.width, 3u);
    EXPECT_EQ(back.height, 2u);
    EXPECT_FALSE(back.hadAlpha);
    for (std::size_t pixel = 0; pixel < 6; ++pixel) {
        for (std::size_t channel = 0; channel < 3; ++channel)
            EXPECT_EQ(back.rgba[pixel * 4 + channel], threeByTwo[pixel * 4 + channel])
                << "pixel " << pixel << " channel " << channel;
        EXPECT_EQ(back.rgba[pixel * 4 + 3], 255) << "pixel " << pixel << " is opaque";
    }
}

TEST(PngWriter, commentGoesIntoATextChunkOnlyWhenGiven) {
    TempDir dir;
    for (const std::string comment : {"", "vextal-snapshot: a sphere"}) {
        const std::string path = dir.path("c.png");
        OutputFile file(path);
        ASSERT_EQ(writePng(file.stream(), {3, 2, threeByTwo.data()}, comment), "");
        ASSERT_TRUE(file.commit());
        const std::string bytes = VextalTest::readFile(path);
        const bool hasChunk =
            bytes.find(std::string("tEXtComment\0", 12) + comment) != std::string::npos;
        EXPECT_EQ(hasChunk, !comment.empty()) << comment;
    }
}

TEST(PngWriter, refusalsAndFailedWritesSayWhy) {
    EXPECT_NE(writePng(nullptr, {3, 2, threeByTwo.data()}, ""), "");
    TempDir dir;
    OutputFile file(dir.path("e.png"));
    EXPECT_NE(writePng(file.stream(), {0, 2, threeByTwo.data()}, ""), "");
    EXPECT_NE(writePng(file.stream(), {3, 2, nullptr}, ""), "");

    // A stream open only for reading fails every write; the system's reason
    // comes back rather than libpng's generic one.
    const std::string existing = dir.write("readonly.png", "x");
    std::FILE* readOnly = std::fopen(existing.c_str(), "rb");
    ASSERT_NE(readOnly, nullptr);
    EXPECT_EQ(writePng(readOnly, {3, 2, threeByTwo.data()}, "").rfind("cannot write: ", 0), 0u);
    std::fclose(readOnly);
}
