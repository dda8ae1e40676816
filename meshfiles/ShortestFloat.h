#pragma once

namespace Vextal {

// Writes `value` as std::to_chars(at, end, value) does without a format:
// the fewest significant digits that read back as the same float, in fixed
// or scientific notation, whichever is shorter (fixed on a tie). For the
// browser's C++ library, which has no float to_chars; finite values only.
// At most 16 characters. Returns the end of what was written.
char* putShortestFloat(char* at, float value);

} // namespace Vextal
