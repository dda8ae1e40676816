#pragma once

#include "mesh/PolygonsIndexedNormal.h"

#include <cstring>
#include <gtest/gtest.h>

namespace VextalTest {

// Bit-for-bit equality of two meshes (NaN payloads included).
inline ::testing::AssertionResult sameMesh(const Vextal::PolygonsIndexedNormal& a,
                                           const Vextal::PolygonsIndexedNormal& b) {
    if (a.vertexCount != b.vertexCount || a.triangleCount != b.triangleCount ||
        a.normalCount != b.normalCount)
        return ::testing::AssertionFailure()
               << "counts differ: " << a.vertexCount << "/" << a.triangleCount << " vs "
               << b.vertexCount << "/" << b.triangleCount;
    const auto bytes = [](std::uint32_t n) { return std::size_t(n) * 12; };
    if (a.vertexCount && std::memcmp(a.vertices, b.vertices, bytes(a.vertexCount)) != 0)
        return ::testing::AssertionFailure() << "vertices differ";
    if (a.normalCount && std::memcmp(a.normals, b.normals, bytes(a.normalCount)) != 0)
        return ::testing::AssertionFailure() << "normals differ";
    if (a.triangleCount && std::memcmp(a.triangles, b.triangles, bytes(a.triangleCount)) != 0)
        return ::testing::AssertionFailure() << "triangles differ";
    return ::testing::AssertionSuccess();
}

} // namespace VextalTest
