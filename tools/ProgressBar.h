#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>

namespace VextalTools {

// A one-line progress bar on stderr for long work: "frame 12 of 72", a bar,
// the time elapsed and an estimate of the rest, redrawn in place. Silent
// when stderr is no terminal or when not wanted; the line is cleared when
// the object goes, so later messages start on a clean line.
class ProgressBar {
public:
    ProgressBar(std::uint32_t total, bool wanted);
    ~ProgressBar();
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    // `done` of the total are finished.
    void show(std::uint32_t done);

private:
    std::uint32_t total;
    bool shown;
    std::chrono::steady_clock::time_point started = std::chrono::steady_clock::now();
};

} // namespace VextalTools
