#include "scene/SceneTokenReader.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <locale.h>
#include <unistd.h>

namespace Vextal {

namespace {

bool isSpace(unsigned char c) {
    return c == ' ' || unsigned(c - '\t') <= unsigned('\r' - '\t');
}
bool isDigit(int c) {
    return unsigned(c - '0') <= 9u;
}

// strtof in the "C" locale, judged as libstdc++'s num_get judges it.
bool convertWithStrtof(const std::string& text, float& value) {
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    char* stop = nullptr;
    const float v =
        cLocale ? strtof_l(text.c_str(), &stop, cLocale) : std::strtof(text.c_str(), &stop);
    if (stop == text.c_str() || *stop != '\0' || std::isinf(v))
        return false;
    value = v;
    return true;
}

} // namespace

bool convertNumber(const std::string& collected, float& value) {
    // from_chars rounds correctly, as strtof does, so wherever it reads the
    // whole text it gives strtof's value; it takes no plus sign. Everything
    // else (out of range, underflow, malformed) goes to strtof itself.
    // The browser build's C++ library has no from_chars for floats: strtof
    // alone, the same value.
#if !defined(__EMSCRIPTEN__)
    const char* first = collected.data();
    const char* last = first + collected.size();
    if (first != last && *first == '+')
        ++first;
    float v = 0.0f;
    const auto [stop, error] = std::from_chars(first, last, v, std::chars_format::general);
    if (error == std::errc() && stop == last && first != last) {
        value = v;
        return true;
    }
#endif
    return convertWithStrtof(collected, value);
}

namespace {

// A written exponent this large already puts any number of at most a few
// million digits far outside the float range; more digits change nothing.
constexpr long long exponentCap = 1'000'000'000'000;

} // namespace

void NumberText::clear() {
    negative = mantissaDigit = point = false;
    exponentMarker = exponentDigit = exponentNegative = droppedNonZero = false;
    scale = exponent = 0;
    digitCount = textLength = 0;
}

void NumberText::add(char c) {
    if (textLength < shortText)
        text[textLength] = c;
    ++textLength;
    if (isDigit(c)) {
        if (exponentMarker)
            addExponentDigit(c);
        else
            addMantissaDigit(c);
    } else if (c == '.') {
        point = true;
    } else if (c == 'e') {
        exponentMarker = true;
    } else if (exponentMarker) {
        exponentNegative = c == '-';
    } else {
        negative = c == '-';
    }
}

void NumberText::addMantissaDigit(char c) {
    mantissaDigit = true;
    if (digitCount == 0 && c == '0') {
        if (point) // a zero between the point and the first significant digit
            --scale;
        return;
    }
    if (!point)
        ++scale;
    if (digitCount < keptDigits)
        digits[digitCount++] = c;
    else if (c != '0')
        droppedNonZero = true;
}

void NumberText::addExponentDigit(char c) {
    exponentDigit = true;
    if (exponent < exponentCap)
        exponent = exponent * 10 + (c - '0');
}

bool NumberText::convert(float& value) {
    // What strtof cannot take whole: no digit at all, or an exponent without one.
    if (!mantissaDigit || (exponentMarker && !exponentDigit))
        return false;
    if (textLength <= shortText) {
        compact.assign(text, textLength);
        return convertNumber(compact, value);
    }
    compact.clear();
    if (negative)
        compact += '-';
    if (digitCount == 0) {
        compact += '0';
        return convertNumber(compact, value);
    }
    compact += "0.";
    compact.append(digits, digitCount);
    if (droppedNonZero)
        compact += '1';
    compact += 'e';
    compact += std::to_string(scale + (exponentNegative ? -exponent : exponent));
    return convertNumber(compact, value);
}

SceneTokenReader::SceneTokenReader(int fd, long long size, char* buffer, std::size_t capacity)
    : fd(fd), size(size > 0 ? size : 0), remaining(std::min(this->size, readLimit + 1)),
      buffer(buffer), capacity(capacity), text(buffer) {}

SceneTokenReader::SceneTokenReader(std::string_view bytes)
    : fd(-1), size(static_cast<long long>(bytes.size())), remaining(0), buffer(nullptr),
      capacity(0), text(bytes.data()),
      end(std::min(bytes.size(), static_cast<std::size_t>(readLimit + 1))) {}

SceneTokenReader::~SceneTokenReader() {
    close();
}

void SceneTokenReader::close() {
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

std::optional<std::string_view> SceneTokenReader::wholeFile() const {
    if (reads != 1 || static_cast<long long>(end) != size || text != buffer)
        return std::nullopt;
    return std::string_view(buffer, end);
}

// One read() into the buffer, once the buffer is used up. The size seen at
// opening bounds the input: a file truncated and written anew while it is
// read would otherwise go on with the middle of its new version.
bool SceneTokenReader::refill() {
    if (ended || fd < 0 || remaining <= 0) {
        ended = true;
        return false;
    }
    const std::size_t wanted = std::size_t(std::min<long long>(remaining, (long long)capacity));
    ssize_t count;
    do
        count = ::read(fd, buffer, wanted);
    while (count < 0 && errno == EINTR);
    ++reads;
    if (count <= 0) { // shorter than it was, or unreadable: the input ends here
        remaining = 0;
        ended = true;
        return false;
    }
    // A short read met the end of the file as it is now: an editor saved a
    // shorter version since it was opened. What follows, if the file grows
    // again, belongs to yet another version.
    remaining = std::size_t(count) < wanted ? 0 : remaining - count;
    offset += static_cast<long long>(end);
    text = buffer;
    position = 0;
    end = std::size_t(count);
    return true;
}

bool SceneTokenReader::skipSpace() {
    for (;;) {
        while (position < end) {
            const char c = text[position];
            if (!isSpace(static_cast<unsigned char>(c)))
                return true;
            ++position;
            if (c == '\n') {
                ++line;
                lineStart = offset + static_cast<long long>(position);
            }
        }
        if (!refill())
            return false;
    }
}

bool SceneTokenReader::restOfLine(std::string& out, int& lineNumber, int& column) {
    out.clear();
    for (;;) {
        while (position < end && (text[position] == ' ' || text[position] == '\t'))
            ++position;
        if (position < end || !refill())
            break;
    }
    lineNumber = line;
    column = int(consumed() - lineStart) + 1;
    for (;;) {
        const std::size_t start = position;
        while (position < end && text[position] != '\n')
            ++position;
        out.append(text + start, position - start);
        if (position < end || !refill())
            break;
    }
    if (cutByLimit())
        return false;
    return true;
}

void SceneTokenReader::place(int& lineNumber, int& column) {
    skipSpace();
    lineNumber = line;
    column = int(consumed() - lineStart) + 1;
}

int SceneTokenReader::peek() {
    if (position == end && !refill())
        return -1;
    return static_cast<unsigned char>(text[position]);
}

void SceneTokenReader::keep(const char* bytes, std::size_t count) {
    const std::size_t room = keptLength - keptCount;
    const std::size_t taken = std::min(room, count);
    std::memcpy(kept + keptCount, bytes, taken);
    keptCount += taken;
}

bool SceneTokenReader::nextToken(std::string_view& token) {
    if (!skipSpace())
        return false;
    std::size_t start = position;
    while (position < end && !isSpace(static_cast<unsigned char>(text[position])))
        ++position;
    if (position < end) {
        // The common case: the token and the space after it are in the buffer.
        token = {text + start, std::min(position - start, keptLength)};
        return true;
    }
    // The token runs to the end of the buffer: keep its first bytes and read on.
    keptCount = 0;
    keep(text + start, position - start);
    while (refill()) {
        start = position;
        while (position < end && !isSpace(static_cast<unsigned char>(text[position])))
            ++position;
        keep(text + start, position - start);
        if (position < end)
            break;
    }
    if (cutByLimit())
        return false;
    token = {kept, keptCount};
    return true;
}

// The collection loop of libstdc++'s num_get::_M_extract_float in the "C"
// locale: an optional sign; leading zeros kept as one; then digits, one point
// before any exponent, and an exponent marker once a digit was seen, directly
// followed by an optional sign.
NumberRead SceneTokenReader::nextNumber(float& value) {
    if (!skipSpace())
        return NumberRead::endedInput;
    number.clear();
    int c = peek();
    if (c == '+' || c == '-') {
        number.add(char(c));
        ++position;
        c = peek();
    }
    bool mantissa = false;
    while (c == '0') {
        if (!mantissa) {
            number.add('0');
            mantissa = true;
        }
        ++position;
        c = peek();
    }
    bool point = false;
    bool exponent = false;
    while (c != -1) {
        if (isDigit(c)) {
            number.add(char(c));
            mantissa = true;
        } else if (c == '.' && !point && !exponent) {
            number.add('.');
            point = true;
        } else if ((c == 'e' || c == 'E') && !exponent && mantissa) {
            number.add('e');
            exponent = true;
            ++position;
            c = peek();
            if (c == -1)
                break;
            if (c != '+' && c != '-')
                continue;
            number.add(char(c));
        } else {
            break;
        }
        ++position;
        c = peek();
    }
    if (cutByLimit())
        return NumberRead::endedInput;
    if (!number.convert(value))
        return ended ? NumberRead::endedInput : NumberRead::rejected;
    return NumberRead::read;
}

} // namespace Vextal
