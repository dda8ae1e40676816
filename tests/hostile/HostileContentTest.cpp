// Scene files whose content is hostile: garbage, giant tokens, numbers the
// float reader rejects, encodings and line ends of other systems. Each load
// runs in a child process (see HostileLoad.h): no crash, no block, memory
// bounded by the mesh plus one token, and the previous mesh kept whenever the
// load does not reach "render". Only the first MiB of a file is ever read.

#include "HostileLoad.h"
#include "scene/SceneTokenReader.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <random>
#include <string>
#include <unistd.h>

using namespace Vextal;
using VextalTest::loadInChild;
using VextalTest::LoadReport;

namespace {

class HostileContent : public ::testing::Test {
protected:
    // Loads the text from a file in a child and checks what every hostile load
    // must satisfy.
    LoadReport load(std::string_view text, long largestToken = 0) {
        return check(loadInChild(dir.write("scene.txt", text)), largestToken, text);
    }

    LoadReport check(const LoadReport& report, long largestToken, std::string_view what) {
        const std::string label(what.substr(0, 60));
        if (report.rendered()) {
            EXPECT_TRUE(report.meshConsistent) << label;
        } else {
            EXPECT_TRUE(report.meshKept) << "a failed load changed the mesh: " << label;
        }
        largestPeakGrowthKiB = std::max(largestPeakGrowthKiB, report.peakGrowthKiB);
        if (report.peakGrowthKiB >= 0) {
            EXPECT_LE(report.peakGrowthKiB, VextalTest::memoryAllowanceKiB(report, largestToken))
                << label;
        }
        return report;
    }

    void TearDown() override { RecordProperty("largestPeakGrowthKiB", int(largestPeakGrowthKiB)); }

    VextalTest::TempDir dir;
    long largestPeakGrowthKiB = -1;
};

// Random bytes drawn from an alphabet, with a fixed generator so that every
// run sees the same files.
std::string randomBytes(std::size_t size, std::string_view alphabet, std::uint32_t stream) {
    std::mt19937 generator(stream);
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    std::string bytes(size, '\0');
    for (char& c : bytes)
        c = alphabet[pick(generator)];
    return bytes;
}

std::string allBytes() {
    std::string bytes;
    for (int c = 0; c < 256; ++c)
        bytes += char(c);
    return bytes;
}

} // namespace

TEST_F(HostileContent, binaryGarbageNeverRendersAndKeepsTheMesh) {
    const std::string anyByte = allBytes();
    for (std::uint32_t stream = 1; stream <= 4; ++stream) {
        const LoadReport report = load(randomBytes(256 * 1024, anyByte, stream), 256 * 1024);
        EXPECT_FALSE(report.rendered()) << "stream " << stream;
    }
}

TEST_F(HostileContent, wordSaladOfKeywordPiecesIsHarmless) {
    // Keywords, digits, signs and separators shuffled: many commands start,
    // most lose their values; whatever the outcome, the mesh is whole or kept.
    const std::string pieces = "rendslicotaphgf\"123456789 0.-+e\n\t\r";
    for (std::uint32_t stream = 1; stream <= 4; ++stream)
        load(randomBytes(64 * 1024, pieces, stream), 64 * 1024);
    load("\"sss slice 255 rotate 255 coef1 " + randomBytes(4096, "0123456789.e-+ ", 9) + " render");
}

// Only the first MiB of a file is read: "render" must come by then.
constexpr std::size_t readLimit = std::size_t(SceneTokenReader::readLimit);

TEST_F(HostileContent, aSelectorTokenOf100MBEndsTheLoadAtTheLimit) {
    constexpr std::size_t size = 100u << 20;
    const std::string path =
        VextalTest::writeRepeated(dir.path("scene.txt"), "\"sss", "s", size, " slice 5 render");
    const LoadReport report = check(loadInChild(path), 0, "100 MB selector");
    EXPECT_EQ(report.status, SceneLoadStatus::noRenderInReach);
}

TEST_F(HostileContent, anUnknownWordFillingTheFirstMiBIsSkipped) {
    const std::size_t size = readLimit - 32;
    const std::string path = VextalTest::writeRepeated(dir.path("scene.txt"), "\"sss slice 7 ", "x",
                                                       size, " rotate 6 render");
    const LoadReport report = check(loadInChild(path), 0, "a word of nearly 1 MiB");
    ASSERT_TRUE(report.rendered());
    EXPECT_EQ(report.scene.surface, SurfaceKind::spheric);
    EXPECT_EQ(report.scene.sliceCount, 7);
    EXPECT_EQ(report.scene.rotateCount, 6);
}

TEST_F(HostileContent, aNumberOf100MBDigitsEndsTheLoadInBoundedMemory) {
    constexpr std::size_t size = 100u << 20;
    const std::string path =
        VextalTest::writeRepeated(dir.path("scene.txt"), "\"sss slice 1", "9", size, " render");
    const LoadReport report = check(loadInChild(path), 0, "100 MB number");
    EXPECT_EQ(report.status, SceneLoadStatus::noRenderInReach);
}

TEST_F(HostileContent, aNumberOfNearlyAMiBReadsExactlyInBoundedMemory) {
    // A 1, nearly a MiB of zeros and an exponent that takes them back: the
    // value 1, which "slice" makes 3.
    const std::size_t zeros = readLimit - 64;
    const std::string path =
        VextalTest::writeRepeated(dir.path("scene.txt"), "\"sss slice 1", "0", zeros,
                                  "e-" + std::to_string(zeros) + " rotate 2.5e0 render");
    const LoadReport report = check(loadInChild(path), 0, "number of nearly 1 MiB");
    ASSERT_TRUE(report.rendered());
    EXPECT_EQ(report.scene.sliceCount, 3);
}

TEST_F(HostileContent, unknownWordsFillingTheFirstMiBCostNoMemory) {
    const std::string path = VextalTest::writeRepeated(dir.path("scene.txt"), "\"sss slice 6 ",
                                                       "word ", readLimit / 5 - 10, "render");
    const LoadReport report = check(loadInChild(path), 4, "a MiB of words");
    ASSERT_TRUE(report.rendered());
    EXPECT_EQ(report.scene.sliceCount, 6);
}

TEST_F(HostileContent, aSparse4GiBFileWithoutRenderEndsAtTheLimitAtOnce) {
    // Four GiB of NUL bytes that take no disk space: one endless token.
    const std::string path = dir.write("scene.txt", "\"sss slice 5 ");
    ASSERT_EQ(::truncate(path.c_str(), off_t(4) << 30), 0);
    const auto start = std::chrono::steady_clock::now();
    const LoadReport report = check(loadInChild(path), 0, "sparse 4 GiB");
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(report.status, SceneLoadStatus::noRenderInReach);
    EXPECT_EQ(report.scene.sliceCount, 5);
    RecordProperty("loadMilliseconds",
                   int(std::chrono::duration_cast<std::chrono::milliseconds>(took).count()));
}

TEST_F(HostileContent, numbersOutOfFloatRangeAreRejectedOrRoundedNeverUndefined) {
    const struct {
        const char* value;
        bool accepted;
        std::uint8_t count; // what "slice" stores when accepted
    } cases[] = {
        {"1e39", false, 0},
        {"-1e39", false, 0},
        {"3.5e38", false, 0},
        {"3.4e38", true, 3}, // finite, far past int32: the count rule's INT32_MIN
        {"-3.4e38", true, 3},
        {"2147483648", true, 3},
        {"1e-46", true, 3}, // underflows to zero
        {"1e-40", true, 3}, // a subnormal
        {"1e99999999999999999999", false, 0},
        {"1e-99999999999999999999", true, 3},
        {"99999999999999999999999999999999999999999999999999", false, 0},
        {"inf", false, 0},
        {"-inf", false, 0},
        {"nan", false, 0},
        {"0x1p4", true, 3}, // the reader takes the 0 and leaves x1p4 as a word
    };
    for (const auto& c : cases) {
        const LoadReport report = load(std::string("\"sss slice ") + c.value + " render");
        EXPECT_EQ(report.rendered(), c.accepted) << c.value;
        if (c.accepted && report.rendered()) {
            EXPECT_EQ(report.scene.sliceCount, c.count) << c.value;
        }
    }
    // Out-of-range values where the surface takes them as they are.
    EXPECT_TRUE(load("\"tss phirange -3.4e38 3.4e38 thetarange 1e-45 -1e-45 "
                     "coef1 3.4e38 -3.4e38 1e-45 3.4e38 1e-45 -1e-45 render")
                    .rendered());
    EXPECT_TRUE(
        load("\"sh coefh 3.4e38 3.4e38 -3.4e38 -3.4e38 1e-45 1e-45 0 -0 render").rendered());
}

TEST_F(HostileContent, signsAndExponentsWithoutDigitsAreRejected) {
    for (const char* value : {"-", "+", "e", "e5", "E5", "1e", "1e+", "1e-", "1E", "+-1", "-+1",
                              "--1", ".", "-.", "+.", ".e1", "1.e", "-e1"}) {
        const LoadReport report = load(std::string("\"sss slice ") + value + " render");
        EXPECT_EQ(report.status, SceneLoadStatus::badValue) << value;
    }
    // The sign or exponent alone at the very end of the file.
    for (const char* text : {"\"sss slice -", "\"sss slice 1e", "\"sss slice 1e+"}) {
        const LoadReport report = load(text);
        EXPECT_FALSE(report.rendered()) << text;
    }
    // Digits on one side of the point are enough.
    for (const char* value : {".5", "5.", "+5", "-0", "5e0", "5E+0", "50e-1"}) {
        const LoadReport report = load(std::string("\"sss slice ") + value + " render");
        ASSERT_TRUE(report.rendered()) << value;
    }
}

TEST_F(HostileContent, aByteOrderMarkHidesTheSelector) {
    LoadReport report = load("\xEF\xBB\xBF\"sss slice 5 render");
    ASSERT_TRUE(report.rendered());
    EXPECT_EQ(report.scene.surface, SurfaceKind::toric);
    EXPECT_EQ(report.scene.sliceCount, 5);

    // A BOM glued to "render" is no "render".
    report = load("\"sss slice 5 \xEF\xBB\xBFrender");
    EXPECT_FALSE(report.rendered());

    // A UTF-16 file: every token has NUL bytes inside, so nothing matches.
    const std::string utf8 = "\"sss slice 5 render\n";
    std::string utf16 = "\xFF\xFE";
    for (char c : utf8) {
        utf16 += c;
        utf16 += '\0';
    }
    report = load(utf16);
    EXPECT_FALSE(report.rendered());
}

TEST_F(HostileContent, carriageReturnOnlyLineEndsSeparateTokens) {
    LoadReport report = load("\"sss\rslice 5\rrotate 6\rdontclose\rrender\r");
    ASSERT_TRUE(report.rendered());
    EXPECT_EQ(report.scene.surface, SurfaceKind::spheric);
    EXPECT_EQ(report.scene.sliceCount, 5);
    EXPECT_EQ(report.scene.rotateCount, 6);
    EXPECT_FALSE(report.scene.closed);

    report = load("\"sh\r\rslice\r\r\r9\rrender");
    ASSERT_TRUE(report.rendered());
    EXPECT_EQ(report.scene.sliceCount, 9);
}

TEST_F(HostileContent, nulBytesAreOrdinaryCharactersOfATokenNotSeparators) {
    using namespace std::string_literals;
    // A NUL glued to the selector spoils it.
    LoadReport report = load("\"sss\0 slice 5 render"s);
    ASSERT_TRUE(report.rendered());
    EXPECT_EQ(report.scene.surface, SurfaceKind::toric);

    // A NUL ends a number: the value is 5 and the NUL is a word of its own.
    report = load("\"sss slice 5\0 render"s);
    ASSERT_TRUE(report.rendered());
    EXPECT_EQ(report.scene.sliceCount, 5);

    // Inside "render" it is no "render"; as a value it is no number.
    EXPECT_FALSE(load("\"sss slice 5 ren\0der"s).rendered());
    EXPECT_EQ(load("\"sss slice \0 render"s).status, SceneLoadStatus::badValue);

    // A file of nothing but NULs is one long token.
    const LoadReport zeros = load(std::string(1u << 20, '\0'), 1u << 20);
    EXPECT_FALSE(zeros.rendered());
}

TEST_F(HostileContent, everyLoneByteAndEmptyFileKeepTheMesh) {
    EXPECT_FALSE(load("").rendered());
    for (int c = 0; c < 256; c += 17)
        EXPECT_FALSE(load(std::string(1, char(c))).rendered()) << c;
    EXPECT_FALSE(load(" \t\n\v\f\r").rendered());
}
