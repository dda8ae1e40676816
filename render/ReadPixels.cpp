#include "render/ReadPixels.h"

#include <GL/gl.h>

#include <cstring>

namespace Vextal {

std::vector<std::uint8_t> readPixelsTopDown(int width, int height) {
    if (width <= 0 || height <= 0)
        return {};
    const std::size_t rowBytes = std::size_t(width) * 4;
    std::vector<std::uint8_t> bottomUp(rowBytes * std::size_t(height));
    glFinish();
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());
    std::vector<std::uint8_t> topDown(bottomUp.size());
    for (int row = 0; row < height; ++row)
        std::memcpy(&topDown[std::size_t(row) * rowBytes],
                    &bottomUp[std::size_t(height - 1 - row) * rowBytes], rowBytes);
    return topDown;
}

} // namespace Vextal
