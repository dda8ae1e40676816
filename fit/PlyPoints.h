#pragma once

#include "fit/PointStream.h"

namespace Vextal {

// The vertices of a PLY file (ascii, binary little or big endian) whose
// header has been read from nowhere yet: the source stands at its start.
// A file that ends before the counts its header gives is an error that
// says so, as is a vertex element without x, y and z.
void readPly(ByteSource& source, Reservoir& points, PointRead& out);

} // namespace Vextal
