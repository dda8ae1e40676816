// The scene file reader against std::istream, the reading it replaces:
// token for token and number for number, bit for bit, on targeted and random
// inputs, with buffers from one byte up so that every token and number also
// crosses a buffer boundary.

#include "scene/SceneTokenReader.h"
#include "mesh/PolygonsIndexedNormal.h"
#include "scene/SceneFile.h"
#include "scene/SceneLoader.h"
#include "support/MeshCompare.h"
#include "support/ReferenceSceneLoad.h"
#include "support/SceneFileBuffer.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <fcntl.h>
#include <limits>
#include <locale>
#include <random>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace Vextal;

namespace {

std::string show(std::string_view text) {
    std::ostringstream out;
    for (unsigned char c : text.substr(0, 120)) {
        if (c >= 32 && c < 127 && c != '\\')
            out << c;
        else
            out << "\\x" << std::hex << int(c) << std::dec;
    }
    return out.str();
}

std::string showResult(NumberRead read, float value) {
    switch (read) {
    case NumberRead::read: {
        std::ostringstream out;
        out << "read " << value << " (bits " << std::hex << std::bit_cast<std::uint32_t>(value)
            << ")";
        return out.str();
    }
    case NumberRead::endedInput:
        return "ended";
    case NumberRead::rejected:
        return "rejected";
    }
    return "?";
}

// Both readers over the same file, driven through the same calls.
class BothReaders {
public:
    BothReaders(const std::string& path, std::size_t capacity)
        : buffer(capacity), fast(openFd(path), fileSize(path), buffer.data(), capacity),
          file(openFd(path), fileSize(path)), stream(&file), reference(stream) {
        stream.imbue(std::locale::classic());
    }

    // Compares one token read; false once both are done.
    bool token(const std::string& label) {
        std::string_view a, b;
        const bool gotA = fast.nextToken(a);
        const bool gotB = reference.nextToken(b);
        EXPECT_EQ(gotA, gotB) << label;
        if (gotA && gotB) {
            EXPECT_EQ(a, b.substr(0, SceneTokenReader::keptLength)) << label;
        }
        return gotA && gotB;
    }

    bool number(const std::string& label) {
        float a = 0, b = 0;
        const NumberRead readA = fast.nextNumber(a);
        const NumberRead readB = reference.nextNumber(b);
        const std::string shownA = showResult(readA, a), shownB = showResult(readB, b);
        EXPECT_EQ(shownA, shownB) << label;
        return readA == NumberRead::read && readB == NumberRead::read;
    }

private:
    static int openFd(const std::string& path) {
        return ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    }
    static long long fileSize(const std::string& path) {
        struct stat status {};
        ::stat(path.c_str(), &status);
        return status.st_size;
    }

    std::vector<char> buffer;
    SceneTokenReader fast;
    VextalTest::SceneFileBuffer file;
    std::istream stream;
    VextalReference::StreamSource reference;
};

// Reads the whole text both ways with a pattern of calls: 't' token, 'n'
// number, repeated; a failed number is followed by tokens, as a caller that
// goes on would see them.
void compareReads(const VextalTest::TempDir& dir, std::string_view text, std::string_view pattern,
                  std::size_t capacity) {
    const std::string path = dir.write("input.txt", text);
    BothReaders readers(path, capacity);
    std::ostringstream described;
    described << '"' << show(text) << "\" pattern " << pattern << " buffer " << capacity;
    const std::string label = described.str();
    for (std::size_t step = 0; step < 10000; ++step) {
        const bool more =
            pattern[step % pattern.size()] == 't' ? readers.token(label) : readers.number(label);
        if (::testing::Test::HasFailure())
            return;
        if (!more && pattern[step % pattern.size()] == 't')
            return;
        if (!more)
            break; // after a failed number, a stream stays failed: stop here
    }
}

const std::size_t capacities[] = {1, 2, 3, 5, 7, 16, SceneTokenReader::bufferSize};

const char* const targeted[] = {
    "\"sss slice 20x rotate 30 render",
    "\"sss slice 24render",
    "20x 1e 1e+ 1e- - + . -. +. .e1 1.e e5 E5 -e1 +-1 -+1 --1 5. .5 +5 -0 5e0 5E+0 50e-1",
    "1e39 -1e39 3.5e38 3.4e38 -3.4e38 2147483648 1e-46 1e-40 1e-45 7e-46 1.4e-45",
    "1e99999999999999999999 1e-99999999999999999999 99999999999999999999999999999999999999999999",
    "inf -inf nan NaN INF 0x1p4 0X10 1p3",
    "0000000001.5 -000 +000.000e000 00.e1 0e 0.0.0 1.2.3 1e2e3 1e2.5 1E+2E+3",
    "\t\n\v\f\r 42\r\n43\v44\f45\t46 ",
    "3.4028235e38 3.4028236e38 3.40282356e38 3.4028234664e38 3.40282357e38",
    "1.00000005960464477539062500000000001 1.000000059604644775390625 1.0000000596046447753906249",
    "0.000000000000000000000000000000000000000000001401298464324817070923729583289916131280e0",
    "123456789012345678901234567890e-30 .000000000000000000000000000000000000000000001",
    "a\x80\xff\x01 \x7f bytes\xc3\xa9 r\xe9nder \xef\xbb\xbf\"sss",
    "render render slice oops",
    "",
    "   ",
    "-",
    "1e",
    "5",
};

} // namespace

TEST(SceneTokenReader, targetedInputsReadAsTheStreamReadsThem) {
    VextalTest::TempDir dir;
    std::vector<std::string> texts(std::begin(targeted), std::end(targeted));
    texts.push_back(std::string("nul\0inside 5\0 \0 7", 18));
    texts.push_back(std::string(200, 'x') + " " + std::string(100, '7') + " render");
    texts.push_back("0." + std::string(300, '0') + "1e310 1" + std::string(50, '0') + "e-40");
    for (const std::string& text : texts)
        for (const char* pattern : {"t", "n", "tn", "tnn", "nt", "ttn"})
            for (std::size_t capacity : capacities) {
                compareReads(dir, text, pattern, capacity);
                if (::testing::Test::HasFailure())
                    return;
            }
}

TEST(SceneTokenReader, randomInputsReadAsTheStreamReadsThem) {
    VextalTest::TempDir dir;
    std::mt19937 generator(31337);
    const std::string alphabet = std::string("0123456789012345678901234567890123456789") +
                                 "+-..eeEE    \t\n\v\f\r" + std::string("x\0\x80\xff", 4) +
                                 "render";
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    std::uniform_int_distribution<int> length(0, 60);
    const char* patterns[] = {"t", "n", "tn", "nnt", "tnnn"};
    std::uniform_int_distribution<int> which(0, 4);
    std::uniform_int_distribution<std::size_t> capacity(0, std::size(capacities) - 1);
    for (int round = 0; round < 4000; ++round) {
        std::string text;
        for (int n = length(generator); n > 0; --n)
            text += alphabet[pick(generator)];
        compareReads(dir, text, patterns[which(generator)], capacities[capacity(generator)]);
        if (::testing::Test::HasFailure())
            return;
    }
}

TEST(SceneTokenReader, randomNumbersConvertAsTheStreamConvertsThem) {
    // Decimal strings near float boundaries: long mantissas, halfway cases,
    // the edges of the normal and subnormal range and of overflow.
    VextalTest::TempDir dir;
    std::mt19937 generator(2718);
    std::uniform_int_distribution<std::uint32_t> bits(0, 0x7F7FFFFFu);
    std::uniform_int_distribution<int> digits(1, 60);
    std::uniform_int_distribution<int> digit(0, 9);
    std::uniform_int_distribution<int> exponent(-60, 45);
    std::string text;
    for (int n = 0; n < 3000; ++n) {
        // The exact midpoint between two neighbouring floats, printed with
        // enough digits, nudged one way or not at all.
        const float f = std::bit_cast<float>(bits(generator));
        const double next = double(std::nextafter(f, std::numeric_limits<float>::infinity()));
        char printed[80];
        std::snprintf(printed, sizeof printed, "%.*g", 9 + n % 40, (double(f) + next) / 2);
        text += printed;
        text += n % 3 == 0 ? "1 " : " ";
        // A random mantissa of random length with a random exponent.
        std::string mantissa;
        for (int k = digits(generator); k > 0; --k)
            mantissa += char('0' + digit(generator));
        const std::size_t point = mantissa.size() / 2;
        text += n % 2 ? "-" : "";
        text += mantissa.substr(0, point);
        text += '.';
        text += mantissa.substr(point);
        text += 'e';
        text += std::to_string(exponent(generator));
        text += ' ';
    }
    for (std::size_t capacity : {std::size_t(3), SceneTokenReader::bufferSize})
        compareReads(dir, text, "n", capacity);
}

TEST(SceneTokenReader, longNumbersReadAsTheStreamReadsThemInBoundedMemory) {
    // Past NumberText::keptDigits significant digits only whether the rest
    // is zero matters: exact halfway points between floats (the longest, by
    // the largest float below 2^-125, has 113 digits) padded with zeros round
    // to even, and one more non-zero digit anywhere behind them rounds them away.
    VextalTest::TempDir dir;
    std::mt19937 generator(1414);
    std::uniform_int_distribution<std::uint32_t> bits(0, 0x7F7FFFFFu);
    const std::uint32_t edges[] = {0, 1, 0x007FFFFFu, 0x00FFFFFFu, 0x3F800000u, 0x7F7FFFFEu};
    std::string text;
    for (int n = 0; n < 400; ++n) {
        const float f =
            std::bit_cast<float>(n < int(std::size(edges)) ? edges[n] : bits(generator));
        const double next = double(std::nextafter(f, std::numeric_limits<float>::infinity()));
        char printed[400];
        std::snprintf(printed, sizeof printed, "%.160e", (double(f) + next) / 2);
        std::string digits = printed;
        const std::size_t e = digits.find('e');
        const std::string exponent = digits.substr(e);
        digits.resize(e);
        digits += std::string(std::size_t(n % 7) * 40, '0');
        if (n % 3 == 1)
            digits += '1';
        text += (n % 2 ? "-" : "") + digits + exponent + ' ';
    }
    text += "0." + std::string(3000, '0') + "15e3001 "; // leading zeros after the point
    text += "000" + std::string(2000, '7') + "e-2000 "; // digits before the point
    text += std::string(60, '9') + "." + std::string(60, '9') + ' '; // overflows: rejected
    text += "1e" + std::string(5000, '0') + "38 ";                   // a long exponent
    text += "1e-" + std::string(40, '9') + ' ';                      // underflows to zero
    text += "-0." + std::string(200, '0') + "e99999999999999999999 ";
    for (std::size_t capacity : {std::size_t(3), SceneTokenReader::bufferSize})
        compareReads(dir, text, "n", capacity);
}

TEST(SceneTokenReader, longTokensAreKeptToTheirFirstBytesOnly) {
    VextalTest::TempDir dir;
    const std::size_t length = (1 << 20) - 8; // " render" still ends inside the first MiB
    const std::string path = dir.write("long.txt", std::string(length, 'r') + " render");
    const int fd = ::open(path.c_str(), O_RDONLY);
    char buffer[100];
    SceneTokenReader reader(fd, length + 7, buffer, sizeof buffer);
    std::string_view token;
    ASSERT_TRUE(reader.nextToken(token));
    EXPECT_EQ(token, std::string(SceneTokenReader::keptLength, 'r'));
    ASSERT_TRUE(reader.nextToken(token));
    EXPECT_EQ(token, "render");
    EXPECT_FALSE(reader.nextToken(token));
}

TEST(SceneTokenReader, nothingIsReadPastTheSizeAtOpening) {
    VextalTest::TempDir dir;
    const std::string path = dir.write("grow.txt", "slice 5 render");
    const int fd = ::open(path.c_str(), O_RDONLY);
    char buffer[4];
    SceneTokenReader reader(fd, 8, buffer, sizeof buffer); // "slice 5 "
    std::string_view token;
    float value = 0;
    ASSERT_TRUE(reader.nextToken(token));
    EXPECT_EQ(token, "slice");
    EXPECT_EQ(reader.nextNumber(value), NumberRead::read);
    EXPECT_EQ(value, 5.0f);
    EXPECT_FALSE(reader.nextToken(token));
}

namespace {

// Scene-like text: keywords, selectors, numbers and noise.
std::string randomScene(std::mt19937& generator) {
    const char* words[] = {"\"sss", "\"tss",     "\"sh",     "slice",      "rotate",
                           "close", "dontclose", "phirange", "thetarange", "coef1",
                           "coef2", "coefh",     "render",   "Render",     "x",
                           "1e",    "-",         "12abc",    "\"sss\""};
    const char* numbers[] = {"3",    "4", "7",       "2.9", "300", "-1",   "0.5", "-2.5",
                             "1e-3", "6", "3.14159", "0",   "-0",  "1e39", "5.",  ".5"};
    const char* spaces[] = {" ", "\n", "\t", "\r\n", "  ", "\v", "\f"};
    std::uniform_int_distribution<int> kind(0, 9);
    std::uniform_int_distribution<std::size_t> word(0, std::size(words) - 1);
    std::uniform_int_distribution<std::size_t> number(0, std::size(numbers) - 1);
    std::uniform_int_distribution<std::size_t> space(0, std::size(spaces) - 1);
    std::uniform_int_distribution<int> count(0, 40);
    std::string text = words[word(generator) % 3];
    for (int n = count(generator); n > 0; --n) {
        text += spaces[space(generator)];
        text += kind(generator) < 4 ? words[word(generator)] : numbers[number(generator)];
    }
    if (kind(generator) < 7)
        text += " render";
    return text;
}

} // namespace

TEST(SceneTokenReader, randomScenesLoadAsTheStreamLoaderLoadsThem) {
    VextalTest::TempDir dir;
    std::mt19937 generator(99);
    PolygonsIndexedNormal fast, reference;
    for (int round = 0; round < 400; ++round) {
        const std::string text = randomScene(generator);
        const std::string path = dir.write("scene.txt", text);
        const SceneLoadResult a = loadSceneFile(path.c_str(), fast);
        const SceneLoadResult b = VextalReference::loadSceneFile(path.c_str(), reference);
        ASSERT_EQ(int(a.status), int(b.status)) << show(text);
        ASSERT_EQ(a.keyword, b.keyword) << show(text);
        ASSERT_EQ(describe(a.scene), describe(b.scene)) << show(text);
        if (a.rendered()) {
            ASSERT_TRUE(VextalTest::sameMeshAnyNaN(fast, reference)) << show(text);
        }
    }
}

namespace {

// A scene whose text `tail` starts `before` bytes ahead of the reader's
// limit, after filler words and a selector.
std::string sceneAtLimit(std::string_view tail, std::size_t before) {
    std::string text = "\"sss slice 7 ";
    const std::size_t start = std::size_t(SceneTokenReader::readLimit) - before;
    while (text.size() + 6 <= start)
        text += "word ";
    text.resize(start, ' ');
    return text += tail;
}

} // namespace

TEST(SceneTokenReader, theFirstMiBIsReadAndTheByteAfterItOnlyEndsAWord) {
    VextalTest::TempDir dir;
    PolygonsIndexedNormal mesh;
    const struct {
        std::string text;
        SceneLoadStatus status;
    } cases[] = {
        {sceneAtLimit("render\n", 6), SceneLoadStatus::rendered},
        {sceneAtLimit("render", 6), SceneLoadStatus::rendered}, // the file ends at the limit
        {sceneAtLimit("renderx", 6), SceneLoadStatus::noRenderInReach},
        {sceneAtLimit("render", 3), SceneLoadStatus::noRenderInReach},
        {sceneAtLimit("render", 0), SceneLoadStatus::noRenderInReach},
        {sceneAtLimit("rotate 12 render", 9), SceneLoadStatus::noRenderInReach},
        {sceneAtLimit("\n render", 0), SceneLoadStatus::noRenderInReach},
        {sceneAtLimit("slice", 6), SceneLoadStatus::endedBeforeRender},
        {sceneAtLimit("slice x", 6), SceneLoadStatus::badValue},
    };
    for (const auto& c : cases) {
        const std::string path = dir.write("scene.txt", c.text);
        const SceneLoadResult result = loadSceneFile(path.c_str(), mesh);
        EXPECT_EQ(int(result.status), int(c.status)) << show(c.text.substr(c.text.size() - 12));
        if (c.status == SceneLoadStatus::noRenderInReach) {
            EXPECT_EQ(result.reason(), "no \"render\" in the first 1 MiB");
        }
    }
}

TEST(SceneTokenReader, aNumberCutByTheLimitIsNeverTaken) {
    // "12" fills the limit's last bytes: read whole when the next byte
    // cannot continue it, taken for the end of input when it could.
    const struct {
        std::string_view tail;
        NumberRead read;
    } cases[] = {{"12 ", NumberRead::read},
                 {"12x", NumberRead::read},
                 {"123", NumberRead::endedInput},
                 {"12e", NumberRead::endedInput},
                 {"12.", NumberRead::endedInput}};
    VextalTest::TempDir dir;
    for (const auto& c : cases) {
        const std::string text = std::string(std::size_t(SceneTokenReader::readLimit) - 2, ' ') +
                                 std::string(c.tail) + "45 render";
        const std::string path = dir.write("number.txt", text);
        for (std::size_t capacity :
             {std::size_t(1), std::size_t(7), SceneTokenReader::bufferSize}) {
            std::vector<char> buffer(capacity);
            SceneTokenReader reader(::open(path.c_str(), O_RDONLY), (long long)text.size(),
                                    buffer.data(), capacity);
            float value = 0;
            EXPECT_EQ(reader.nextNumber(value), c.read) << c.tail << " buffer " << capacity;
            if (c.read == NumberRead::read) {
                EXPECT_EQ(value, 12.0f);
            }
            std::string_view token;
            EXPECT_FALSE(reader.nextToken(token)) << c.tail << " buffer " << capacity;
            EXPECT_TRUE(reader.reachedLimit());
        }
        SceneTokenReader inMemory(text);
        float value = 0;
        EXPECT_EQ(inMemory.nextNumber(value), c.read) << c.tail << " in memory";
    }
}
