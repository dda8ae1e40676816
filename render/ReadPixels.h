#pragma once

#include <cstdint>
#include <vector>

namespace Vextal {

// The current read buffer's width x height pixels from the bottom-left
// corner, after everything drawn so far has finished: RGBA, four bytes a
// pixel, rows top first (as a picture file stores them). Needs a current
// context.
std::vector<std::uint8_t> readPixelsTopDown(int width, int height);

} // namespace Vextal
