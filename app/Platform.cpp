#include "app/Platform.h"

#include <stdexcept>

namespace Vextal {

namespace {
Platform* installed = nullptr;
}

Platform& platform() {
    if (installed == nullptr)
        throw std::logic_error("no platform installed");
    return *installed;
}

void setPlatform(Platform* implementation) { installed = implementation; }

} // namespace Vextal
