#include "python/Animations.h"

namespace VextalPython {

void bindAnimations(pybind11::module_&) {}

} // namespace VextalPython
