#pragma once

#include <cstdint>

namespace Vextal {

// The key state table: one entry per virtual-key code, 1 while the key's last
// message was a key-down and 0 otherwise. Only the window procedure writes it.
inline constexpr int keyTableSize = 256;

// Sets all keyTableSize entries of keys to 0; does nothing when keys is null.
void clearKeyTable(std::int32_t* keys);

// True when table is set and the entry for code is 1.
bool keyHeld(const std::int32_t* table, std::uint32_t code);

} // namespace Vextal
