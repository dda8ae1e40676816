#include "base/EscapedText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <random>
#include <vector>

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

// Well-formed UTF-8 as the Unicode standard tabulates it: the lead bytes, then
// the range each following byte must fall in. Written apart from the escape's
// own decoding, so that the two check each other.
struct Form {
    unsigned lead0, lead1;
    std::vector<std::pair<unsigned, unsigned>> next;
};
const Form forms[] = {
    {0x00, 0x7F, {}},
    {0xC2, 0xDF, {{0x80, 0xBF}}},
    {0xE0, 0xE0, {{0xA0, 0xBF}, {0x80, 0xBF}}},
    {0xE1, 0xEC, {{0x80, 0xBF}, {0x80, 0xBF}}},
    {0xED, 0xED, {{0x80, 0x9F}, {0x80, 0xBF}}},
    {0xEE, 0xEF, {{0x80, 0xBF}, {0x80, 0xBF}}},
    {0xF0, 0xF0, {{0x90, 0xBF}, {0x80, 0xBF}, {0x80, 0xBF}}},
    {0xF1, 0xF3, {{0x80, 0xBF}, {0x80, 0xBF}, {0x80, 0xBF}}},
    {0xF4, 0xF4, {{0x80, 0x8F}, {0x80, 0xBF}, {0x80, 0xBF}}},
};

// Code points shown as an escape though well formed: controls, separators,
// bidirectional controls, the byte-order mark.
bool hidden(std::uint32_t code) {
    const std::pair<std::uint32_t, std::uint32_t> ranges[] = {{0x00, 0x1F},     {0x7F, 0x9F},
                                                              {0x200E, 0x200F}, {0x2028, 0x202E},
                                                              {0x2066, 0x2069}, {0xFEFF, 0xFEFF}};
    for (const auto& [low, high] : ranges)
        if (code >= low && code <= high)
            return true;
    return false;
}

std::size_t formLength(std::string_view text) {
    const auto at = [&](std::size_t k) { return unsigned(static_cast<unsigned char>(text[k])); };
    for (const Form& form : forms) {
        if (at(0) < form.lead0 || at(0) > form.lead1)
            continue;
        if (text.size() <= form.next.size())
            return 0;
        for (std::size_t k = 0; k < form.next.size(); ++k)
            if (at(k + 1) < form.next[k].first || at(k + 1) > form.next[k].second)
                return 0;
        return form.next.size() + 1;
    }
    return 0;
}

// What the escape must make of `bytes`, worked out from the table.
std::string expectedEscape(std::string_view bytes) {
    std::string out;
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t length = formLength(bytes.substr(at));
        std::uint32_t code = length == 1 ? std::uint32_t(static_cast<unsigned char>(bytes[at])) : 0;
        if (length > 1) {
            code = static_cast<unsigned char>(bytes[at]) & (0xFFu >> (length + 1));
            for (std::size_t k = 1; k < length; ++k)
                code = code << 6 | (static_cast<unsigned char>(bytes[at + k]) & 0x3Fu);
        }
        if (bytes[at] == '\\') {
            out += "\\\\";
            ++at;
        } else if (length > 0 && !hidden(code)) {
            out += bytes.substr(at, length);
            at += length;
        } else {
            for (std::size_t k = 0; k < std::max<std::size_t>(length, 1); ++k) {
                char hex[5];
                std::snprintf(hex, sizeof hex, "\\x%02x",
                              unsigned(static_cast<unsigned char>(bytes[at + k])));
                out += hex;
            }
            at += std::max<std::size_t>(length, 1);
        }
    }
    return out;
}

std::string encoded(std::uint32_t code) {
    std::string out;
    if (code < 0x80)
        out += char(code);
    else if (code < 0x800)
        out += {char(0xC0 | code >> 6), char(0x80 | (code & 0x3F))};
    else if (code < 0x10000)
        out +=
            {char(0xE0 | code >> 12), char(0x80 | (code >> 6 & 0x3F)), char(0x80 | (code & 0x3F))};
    else
        out += {char(0xF0 | code >> 18), char(0x80 | (code >> 12 & 0x3F)),
                char(0x80 | (code >> 6 & 0x3F)), char(0x80 | (code & 0x3F))};
    return out;
}

// Every byte alone and after every byte; every byte third and fourth after
// each lead of a longer form; every code point (surrogates and all); each
// between printable neighbours, as in a token.
TEST(EscapedText, everyByteInEveryContextAsTheUnicodeTableSays) {
    const auto check = [](const std::string& bytes) {
        const std::string inToken = "a" + bytes + "z";
        ASSERT_EQ(escaped(inToken), expectedEscape(inToken)) << expectedEscape(bytes);
    };
    for (unsigned first = 0; first < 256; ++first) {
        check(std::string(1, char(first)));
        for (unsigned second = 0; second < 256; ++second)
            check({char(first), char(second)});
    }
    for (const Form& form : forms)
        for (unsigned lead = form.lead0; lead <= form.lead1 && form.next.size() >= 2; ++lead)
            for (const unsigned second : {form.next[0].first, form.next[0].second, 0x80u, 0xBFu})
                for (unsigned last = 0; last < 256; ++last) {
                    check({char(lead), char(second), char(last), char(0x80)});
                    check({char(lead), char(second), char(0x80), char(last)});
                }
    for (std::uint32_t code = 0; code <= 0x10FFFF; ++code)
        check(encoded(code));
}

} // namespace
