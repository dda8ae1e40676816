#pragma once

#include "cli/CommandLine.h"

#include <cstdio>

namespace VextalTools {

// --quiet: the tools then say nothing on stderr but what went wrong.
inline constexpr Vextal::OptionDescription quietOption{
    "--quiet", nullptr,
    "say nothing on stderr but errors: no skipped words of\nthe scene, no progress"};

// Tells on `out`, one line each, the words of the scene file that a load
// skips because they are no command, with the keyword each nearly is, as
// vextal-check does: a typo in a scene otherwise goes unseen. At most a few
// lines; the rest are counted.
void tellSkippedWords(std::FILE* out, const char* program, const char* scenePath);

} // namespace VextalTools
