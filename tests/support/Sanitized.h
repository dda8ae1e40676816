#pragma once

namespace VextalTest {

// True in the address-sanitizer build, whose quarantine and shadow memory
// change what resident-size and peak-memory checks see.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool addressSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool addressSanitized = true;
#else
inline constexpr bool addressSanitized = false;
#endif
#else
inline constexpr bool addressSanitized = false;
#endif

} // namespace VextalTest
