#pragma once

#include "scene/SceneCommands.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace Vextal {

// The characters num_get collects for one number, given one by one, kept in
// bounded memory however many there are: the first keptDigits significant
// digits, whether any digit dropped after them was not zero, and the
// decimal exponent. The value is exact: the numbers where rounding to float
// changes (a float, a halfway point between two) have at most 113
// significant digits, so the kept digits plus one non-zero digit standing
// for the dropped ones lie on the same side of every one of them as the
// whole text, and round to the same float. A text as short as numbers
// usually are is converted as it is.
class NumberText {
public:
    static constexpr std::size_t keptDigits = 128;
    static constexpr std::size_t shortText = 32;

    void clear();
    // One character of what num_get collects: sign, digit, '.', 'e' (lower
    // case), the exponent's sign, its digits.
    void add(char c);
    // What the whole collected text converts to (see convertNumber).
    bool convert(float& value);

private:
    void addMantissaDigit(char c);
    void addExponentDigit(char c);

    bool negative = false;
    bool mantissaDigit = false; // a digit before the exponent: the text can be a number
    bool point = false;
    bool exponentMarker = false;
    bool exponentDigit = false;
    bool exponentNegative = false;
    bool droppedNonZero = false;
    long long scale = 0;    // the point lies this many digits after the first significant one
    long long exponent = 0; // the written exponent, held at exponentCap once beyond it
    std::size_t digitCount = 0;
    char digits[keptDigits];
    std::size_t textLength = 0; // characters given, of which the first shortText are kept
    char text[shortText];
    std::string compact; // the short text of the same value handed to the conversion
};

// Reads the tokens and numbers of a scene file straight from its descriptor,
// exactly as std::istream's >> std::string and >> float read them in the "C"
// locale, without the stream's per-call cost:
// - whitespace is space, tab, line feed, vertical tab, form feed, carriage
//   return; every other byte (NUL and bytes above 127 included) belongs to a
//   token;
// - a number takes the characters that num_get takes (sign, digits, one
//   point, one exponent with its sign) and stops at the first that cannot
//   continue it, which stays for the next read ("20x" gives 20, then "x");
//   what it took is converted as strtof would in the "C" locale, and rejected
//   when nothing or not all of it converts ("-", "1e") or when it is out of
//   float range;
// - once the input has ended, nothing more is read, as after the stream's
//   eofbit.
// It never reads past the size the file had when it was opened (an editor
// that truncates the file and writes a longer version meanwhile would
// otherwise have the middle of the new version read on after the end of the
// old one), takes a file of up to 64 KiB in one read(), and a read() that
// fails or comes back short ends the input (after its bytes). Nor does it read past
// what a call needs, so nothing after "render" is read.
//
// Nor does it read past the first readLimit bytes, whatever the file's size:
// a scene is a few hundred bytes, and a file that has no "render" that early
// is no scene. The byte at offset readLimit is read too, but only to see
// whether a token or number that runs up to the limit ends there. One that
// would go on past the limit is cut: nextToken() reports no token and
// nextNumber() endedInput, as if the input had ended before it started, so a
// word cut to "render" or a number cut to fewer digits is never taken.
// Everything wholly inside the limit reads exactly as without it. A command
// whose value is cut so is not applied, and the load ends there.
class SceneTokenReader {
public:
    // Any keyword or selector is far shorter: a token cut to this length
    // still compares unequal to every one of them. Tokens take no more memory
    // than this, however long they are.
    static constexpr std::size_t keptLength = 64;

    // Largest single read(): an ordinary scene file is taken whole by one.
    static constexpr std::size_t bufferSize = 64 * 1024;

    // Bytes of a file that are ever read (1 MiB), plus the one that follows.
    static constexpr long long readLimit = 1 << 20;

    // Reads at most `size` bytes of fd through the caller's buffer (any
    // capacity from 1 byte; bufferSize in the loader). The reader owns fd and
    // closes it in close() or when destroyed.
    SceneTokenReader(int fd, long long size, char* buffer, std::size_t capacity);
    // Reads bytes already in memory, which must outlive the reader.
    explicit SceneTokenReader(std::string_view bytes);
    ~SceneTokenReader();
    SceneTokenReader(const SceneTokenReader&) = delete;
    SceneTokenReader& operator=(const SceneTokenReader&) = delete;

    // The next whitespace-delimited token, cut to keptLength bytes; false
    // when the input ends before one starts. The view is valid until the
    // next call.
    bool nextToken(std::string_view& token);

    // The next number, skipping whitespace first.
    NumberRead nextNumber(float& value);

    // The rest of the current line after spaces and tabs, up to (not
    // including) its line feed or the end of the input, whole however long
    // (the reader's limit bounds it), and where it starts: line and column
    // from 1, the column in bytes. False when the input ends before the line
    // does and the line was cut by the limit. A typed surface's expressions
    // are read so, since they contain spaces.
    bool restOfLine(std::string& line, int& lineNumber, int& column);

    // Where the next token or number starts (after white space): line and
    // column from 1, the column in bytes.
    void place(int& lineNumber, int& column);

    // Stops reading and closes the descriptor.
    void close();

    // Bytes taken so far from the start of the input.
    long long consumed() const { return offset + static_cast<long long>(position); }

    // True once the byte after the first readLimit was read: the file goes
    // on past the limit, and an input that ended did so there.
    bool reachedLimit() const { return offset + static_cast<long long>(end) > readLimit; }

    // The whole file, when a single read() brought all of it (as many bytes
    // as it had when opened) and nothing else was read; valid while the
    // caller's buffer is.
    std::optional<std::string_view> wholeFile() const;

private:
    bool skipSpace();
    bool cutByLimit() const { return offset + static_cast<long long>(position) > readLimit; }
    int peek();
    bool refill();
    void keep(const char* bytes, std::size_t count);

    int fd;
    int line = 1;            // the line the reader is on
    long long lineStart = 0; // the offset of its first byte
    long long size;          // bytes in the file when it was opened
    long long remaining;     // bytes still to read before that size or the limit
    long long offset = 0;    // where in the file text[0] lies
    char* buffer;            // where read() puts what it reads
    std::size_t capacity;
    int reads = 0;
    const char* text; // the bytes being taken apart: the buffer, or memory
    std::size_t position = 0;
    std::size_t end = 0;
    bool ended = false; // the input has ended: nothing more is read
    char kept[keptLength];
    std::size_t keptCount = 0;
    NumberText number;
};

// The "C" locale conversion std::istream >> float applies to the characters
// it collected: false when they are not wholly a number or the value is out of
// float range. Exposed for tests.
bool convertNumber(const std::string& collected, float& value);

} // namespace Vextal
