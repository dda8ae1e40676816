#pragma once

#include "fit/SurfaceFit.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace Vextal {

// Points read from a file, at most `keep` of them: beyond that a uniform
// sample chosen by the random key (reservoir sampling), so that memory stays
// bounded whatever the file holds.
struct PointRead {
    std::vector<FitPoint> points;
    std::uint64_t read = 0;      // points the file held
    std::uint64_t notFinite = 0; // of those, left out for a NaN or infinite coordinate
    std::string format;          // "PLY", "OBJ", "STL", "text"
    std::string error;           // set when the file could not be read: nothing else holds
};

struct PointReadOptions {
    std::uint64_t keep = 2'000'000;
    std::uint64_t randomKey = 1; // what the random choices start from
    // Told the share of the file's bytes read now and then.
    std::function<void(double)> progress;
    // Told the points read so far, every 2^20 of them, where the size is
    // not known beforehand (a FIFO, a pipe).
    std::function<void(std::uint64_t)> counted;
};

// Reads the points of PLY (ascii, binary either endian), OBJ ("v" lines),
// STL (ascii or binary: each triangle's corners) or plain text (x y z, one
// point a line, "#" starting a comment). A mesh's vertices are its points.
// The format is told by the contents, not by the name.
PointRead readPoints(const std::string& path, const PointReadOptions& options);

// The same for outlines: plain text x y a line, or an SVG file whose paths
// are straight segments (M, L, H, V, Z in either case); z is 0.
PointRead readOutline(const std::string& path, const PointReadOptions& options);

} // namespace Vextal
