#include "base/EscapedText.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <random>

using namespace Vextal;

namespace {

// Reads escaped text back: the escape is only of use if it loses nothing.
std::string unescaped(std::string_view text) {
    std::string bytes;
    for (std::size_t k = 0; k < text.size(); ++k) {
        if (text[k] != '\\') {
            bytes += text[k];
        } else if (text[k + 1] == '\\') {
            bytes += '\\';
            ++k;
        } else {
            bytes += char(std::stoi(std::string(text.substr(k + 2, 2)), nullptr, 16));
            k += 3;
        }
    }
    return bytes;
}

TEST(EscapedText, escapesEveryByteThatIsNotPrintableUtf8) {
    EXPECT_EQ(escaped("slice 3"), "slice 3");
    EXPECT_EQ(escaped("\x1b[2J\a"), "\\x1b[2J\\x07");
    EXPECT_EQ(escaped(std::string_view("a\0b\nc", 5)), "a\\x00b\\x0ac");
    EXPECT_EQ(escaped("caf\xc3\xa9 \xe2\x82\xac"), "caf\xc3\xa9 \xe2\x82\xac"); // é €
    EXPECT_EQ(escaped("\xc3"), "\\xc3");                                        // truncated
    EXPECT_EQ(escaped("\xc0\xaf"), "\\xc0\\xaf");                               // overlong '/'
    EXPECT_EQ(escaped("\xed\xa0\x80"), "\\xed\\xa0\\x80");                      // a surrogate
    EXPECT_EQ(escaped("\xc2\x9b"), "\\xc2\\x9b");                               // C1 CSI
    EXPECT_EQ(escaped("\xe2\x80\xae"), "\\xe2\\x80\\xae"); // right-to-left override
    EXPECT_EQ(escaped("a\\x41"), "a\\\\x41");
    EXPECT_EQ(printable("'\\x1b' and \x1b"), "'\\x1b' and \\x1b");
}

TEST(EscapedText, cutsOnlyOnACharacterBoundary) {
    const std::string euros = "\xe2\x82\xac\xe2\x82\xac";
    for (std::size_t cut = 0; cut <= euros.size(); ++cut)
        EXPECT_EQ(wholeCharacters(euros.substr(0, cut)), cut / 3 * 3) << cut;
    EXPECT_EQ(wholeCharacters("ab\xff"), 3u); // a stray byte stays, escaped when shown
}

// Any bytes at all: the escaped text reads back to them, and as a JSON
// string a strict parser (which refuses invalid UTF-8) reads it as that text.
TEST(EscapedText, roundTripsAndMakesStrictJsonOfAnyBytes) {
    std::mt19937 random(18);
    for (int round = 0; round < 2000; ++round) {
        std::string bytes(random() % 24, '\0');
        for (char& c : bytes)
            c = char(random() % 4 == 0 ? 0x80 + random() % 0x80 : random() % 0x80);
        const std::string text = escaped(bytes);
        ASSERT_EQ(unescaped(text), bytes);
        const std::string json = jsonString(bytes, Backslash::doubled);
        ASSERT_EQ(nlohmann::json::parse(json).get<std::string>(), text) << text;
    }
}

} // namespace
