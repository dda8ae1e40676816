#include "tools/ProgressLine.h"

#include <cstdio>
#include <unistd.h>

namespace Vextal {

ProgressLine::ProgressLine(const char* program, bool shown)
    : program(program), shown(shown && ::isatty(STDERR_FILENO) == 1) {}

void ProgressLine::step(const std::string& what) const {
    if (shown)
        std::fprintf(stderr, "%s: %s...\n", program, what.c_str());
}

} // namespace Vextal
