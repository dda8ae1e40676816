#pragma once

#include <cstdio>
#include <string>

namespace Vextal {

// Copies the ZIP archive `in` (read from its start) to `out` in the classic
// 32-bit form: lib3mf marks every size and offset as ZIP64 even in a small
// package, which some readers cannot open. The entries keep their names,
// compressed bytes and checksums. An archive that needs ZIP64 (4 GiB or
// more) is copied as it is. Returns why the archive could not be read, or
// nothing; write failures stay on `out`.
std::string narrowZip(std::FILE* in, std::FILE* out);

} // namespace Vextal
