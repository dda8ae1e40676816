#pragma once

namespace Vextal {
class PolygonsIndexedNormal;
}

namespace VextalTest {

// The normals as six immediate-mode vertices per triangle, every frame: the
// plain way, which the array drawn once per load must match pixel for pixel
// and which the frame benchmarks compare it with.
void drawNormalsOnePerCorner(const Vextal::PolygonsIndexedNormal& mesh);

} // namespace VextalTest
