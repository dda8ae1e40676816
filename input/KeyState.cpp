#include "input/KeyState.h"

#include <algorithm>

namespace Vextal {

void clearKeyTable(std::int32_t* keys) {
    if (keys != nullptr)
        std::fill_n(keys, keyTableSize, 0);
}

bool keyHeld(const std::int32_t* table, std::uint32_t code) {
    return table != nullptr && code < std::uint32_t(keyTableSize) && table[code] == 1;
}

} // namespace Vextal
