#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace Vextal {

// Bytes that come from a file or a file name, made safe to print: a terminal
// shown them cannot be sent an escape sequence, a line cannot be forged or
// cut, and a JSON parser that insists on UTF-8 reads every string.
//
// The one escape: every byte that is not part of a printable UTF-8 character
// is written "\xNN" (two lower-case hexadecimal digits), and a backslash of
// the bytes themselves "\\", so the escaped text reads back to the bytes.
// Not printable: bytes that are no valid UTF-8 (a stray continuation byte, a
// truncated or overlong sequence, a surrogate, beyond U+10FFFF), the control
// characters U+0000-U+001F, U+007F-U+009F, the line and paragraph separators
// U+2028, U+2029, the bidirectional controls U+200E, U+200F, U+202A-U+202E,
// U+2066-U+2069, and the byte-order mark U+FEFF, which shows as nothing.

// The length of the valid UTF-8 character that `text` starts with, 0 when it
// starts with no valid one (or is empty).
inline std::size_t utf8Length(std::string_view text) {
    if (text.empty())
        return 0;
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned lead = byte(0);
    if (lead < 0x80)
        return 1;
    std::size_t length = 0;
    std::uint32_t code = 0, least = 0;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2, code = lead & 0x1F, least = 0x80;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3, code = lead & 0x0F, least = 0x800;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4, code = lead & 0x07, least = 0x10000;
    else
        return 0;
    if (text.size() < length)
        return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(k) & 0xC0) != 0x80)
            return 0;
        code = code << 6 | (byte(k) & 0x3F);
    }
    const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
    return code < least || code > 0x10FFFF || surrogate ? 0 : length;
}

// The code point of a valid character of `length` bytes at the start of text.
inline std::uint32_t utf8CodePoint(std::string_view text, std::size_t length) {
    const auto lead = static_cast<unsigned char>(text[0]);
    std::uint32_t code = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k)
        code = code << 6 | (static_cast<unsigned char>(text[k]) & 0x3F);
    return code;
}

inline bool printableCodePoint(std::uint32_t code) {
    if (code < 0x20 || (code >= 0x7F && code < 0xA0))
        return false;
    const bool separator = code == 0x2028 || code == 0x2029;
    const bool bidirectional = code == 0x200E || code == 0x200F ||
                               (code >= 0x202A && code <= 0x202E) ||
                               (code >= 0x2066 && code <= 0x2069);
    return !separator && !bidirectional && code != 0xFEFF;
}

// How a backslash of the text is written: doubled for raw bytes, so that the
// escaped text reads back; kept for text already made of escaped parts.
enum class Backslash { doubled, kept };

// Hands `put` the escaped text of `bytes` piece by piece, allocating nothing.
template <class Put> void forEachEscaped(std::string_view bytes, Backslash backslash, Put&& put) {
    static constexpr char hex[] = "0123456789abcdef";
    std::size_t plain = 0; // start of the run of bytes written as they are
    std::size_t at = 0;
    while (at < bytes.size()) {
        const std::size_t length = utf8Length(bytes.substr(at));
        const bool doubled = bytes[at] == '\\' && backslash == Backslash::doubled;
        if (length > 0 && !doubled && printableCodePoint(utf8CodePoint(bytes.substr(at), length))) {
            at += length;
            continue;
        }
        put(bytes.substr(plain, at - plain));
        const std::size_t escaped = length > 0 ? length : 1;
        for (std::size_t k = at; k < at + escaped; ++k) {
            const auto byte = static_cast<unsigned char>(bytes[k]);
            const char escape[4] = {'\\', 'x', hex[byte >> 4], hex[byte & 15]};
            put(doubled ? std::string_view("\\\\") : std::string_view(escape, 4));
        }
        at += escaped;
        plain = at;
    }
    put(bytes.substr(plain));
}

// Raw bytes (a token, a file name) as printable text.
inline std::string escaped(std::string_view bytes) {
    std::string out;
    forEachEscaped(bytes, Backslash::doubled, [&](std::string_view piece) { out += piece; });
    return out;
}

// Text whose raw parts were escaped already (a message that quotes a token),
// with whatever slipped through made printable too.
inline std::string printable(std::string_view text) {
    std::string out;
    forEachEscaped(text, Backslash::kept, [&](std::string_view piece) { out += piece; });
    return out;
}

// A JSON string (RFC 8259) whose value is the escaped text: escaped(text)
// for raw bytes (Backslash::doubled), printable(text) for text made of
// escaped parts (Backslash::kept); quotes and backslashes then escaped as
// JSON escapes them. So it is valid UTF-8 with no control character whatever
// `text` holds. Hands `put` its pieces, allocating nothing.
template <class Put> void forEachJsonPiece(std::string_view text, Backslash backslash, Put&& put) {
    put("\"");
    forEachEscaped(text, backslash, [&](std::string_view piece) {
        std::size_t plain = 0;
        for (std::size_t k = 0; k < piece.size(); ++k) {
            if (piece[k] != '"' && piece[k] != '\\')
                continue;
            put(piece.substr(plain, k - plain));
            put(piece[k] == '"' ? "\\\"" : "\\\\");
            plain = k + 1;
        }
        put(piece.substr(plain));
    });
    put("\"");
}

inline std::string jsonString(std::string_view text, Backslash backslash) {
    std::string out;
    forEachJsonPiece(text, backslash, [&](std::string_view piece) { out += piece; });
    return out;
}

// The longest start of `text` that ends on a character boundary: a cut that
// fell inside a multi-byte character drops that character's first bytes.
inline std::size_t wholeCharacters(std::string_view text) {
    for (std::size_t back = 1; back <= 3 && back <= text.size(); ++back) {
        const auto byte = static_cast<unsigned char>(text[text.size() - back]);
        if ((byte & 0xC0) == 0x80)
            continue; // a continuation byte: its lead lies further back
        if (byte < 0xC2 || byte > 0xF4)
            return text.size(); // no lead byte: nothing is cut through
        const std::size_t needed = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : 2;
        return needed > back ? text.size() - back : text.size();
    }
    return text.size();
}

} // namespace Vextal
