#pragma once

#include "mesh/PolygonsIndexedNormal.h"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <string>

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

// Bit-for-bit equality of two meshes, except that a NaN matches any NaN.
// Which of two NaN operands an instruction passes on is left open by IEEE 754
// and by C++: a compiler may swap the operands of a commutative + or *, so
// the same code compiled twice can give NaNs of different sign or payload.
// Every other value, zeros' signs and infinities included, must be identical.
inline ::testing::AssertionResult sameMeshAnyNaN(const Vextal::PolygonsIndexedNormal& a,
                                                 const Vextal::PolygonsIndexedNormal& b) {
    if (a.vertexCount != b.vertexCount || a.triangleCount != b.triangleCount ||
        a.normalCount != b.normalCount)
        return ::testing::AssertionFailure()
               << "counts differ: " << a.vertexCount << "/" << a.triangleCount << " vs "
               << b.vertexCount << "/" << b.triangleCount;
    const auto sameFloats = [](const Vextal::Vec3* x, const Vextal::Vec3* y, std::uint32_t count,
                               const char* what) -> ::testing::AssertionResult {
        for (std::uint32_t k = 0; k < count; ++k) {
            const float u[] = {x[k].x, x[k].y, x[k].z};
            const float v[] = {y[k].x, y[k].y, y[k].z};
            for (int c = 0; c < 3; ++c)
                if (!(std::isnan(u[c]) && std::isnan(v[c])) && std::memcmp(&u[c], &v[c], 4) != 0)
                    return ::testing::AssertionFailure()
                           << what << " " << k << " differ in coordinate " << c << ": " << u[c]
                           << " vs " << v[c];
        }
        return ::testing::AssertionSuccess();
    };
    if (auto r = sameFloats(a.vertices, b.vertices, a.vertexCount, "vertices"); !r)
        return r;
    if (auto r = sameFloats(a.normals, b.normals, a.normalCount, "normals"); !r)
        return r;
    if (a.triangleCount &&
        std::memcmp(a.triangles, b.triangles, std::size_t(a.triangleCount) * 12) != 0)
        return ::testing::AssertionFailure() << "triangles differ";
    return ::testing::AssertionSuccess();
}

} // namespace VextalTest
