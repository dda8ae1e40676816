#pragma once

#include "scene/SceneLoader.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace VextalTest {

// What one load of a hostile file did, measured in a child process so that a
// crash, a block or a blow-up of memory is the child's and not the tests'.
struct LoadReport {
    Vextal::SceneLoadStatus status = Vextal::SceneLoadStatus::cannotOpen;
    int errorNumber = 0;
    Vextal::SceneSummary scene;
    bool meshKept = false;       // bit for bit the mesh from before the load
    bool meshConsistent = false; // counts of its grid, indices below vertexCount
    std::uint32_t vertexCount = 0;
    std::uint32_t triangleCount = 0;
    long peakGrowthKiB = -1; // peak resident size during the load minus before; -1 unknown
    bool skipped = false;    // the preparation step could not set up the case

    bool rendered() const { return status == Vextal::SceneLoadStatus::rendered; }
    // Bytes of the mesh the load produced: positions, normals and triangles.
    long meshKiB() const { return (long(vertexCount) * 24 + long(triangleCount) * 12) / 1024; }
};

// Time a child gets before it counts as blocked: generous, so that a slow
// machine never fails a test that merely ran long.
inline constexpr std::chrono::seconds loadLimit{120};

// Loads the file in a forked child whose mesh already holds a good surface
// (the spheric one with 5 slices), and reports what happened. prepare runs in
// the child before the load (to drop privileges, say); when it returns false
// the report says skipped. A child that crashes or blocks fails the current
// test and returns an empty report.
LoadReport loadInChild(const std::string& path, const std::function<bool()>& prepare = {});

// The peak resident growth a load may show: its new mesh plus its largest
// token, allowing the token buffer to double once, and a fixed slack for the
// stream buffer and allocator. Sanitizer builds keep freed memory in
// quarantine and shadow every byte, so they get more.
long memoryAllowanceKiB(const LoadReport& report, long largestTokenBytes);

// Writes prefix, then `repeat` copies of piece, then suffix, without building
// the whole content in memory. Returns the path.
std::string writeRepeated(const std::string& path, std::string_view prefix, std::string_view piece,
                          std::size_t repeat, std::string_view suffix);

} // namespace VextalTest
