#pragma once

#include "pictures/AnimationWriter.h"

#include <csignal>
#include <cstdio>
#include <string>
#include <sys/types.h>
#include <vector>

namespace Vextal {

// An MP4 video made by the ffmpeg program, which is given the frames as raw
// RGB through a pipe and encodes them as H.264 in yuv420p, with the index at
// the front so that a browser plays the video while it loads. ffmpeg writes
// into a file of its own with no name (it must seek in it to move the index);
// finish() copies that into out. The format's width and height must be even;
// alpha is dropped. No encoder is linked in: without ffmpeg, start() fails
// saying so.
class Mp4Writer : public AnimationWriter {
public:
    // program: the ffmpeg to run, looked up in PATH when it has no '/'.
    Mp4Writer(std::FILE* out, const AnimationFormat& format, std::string program = "ffmpeg");
    ~Mp4Writer() override;

    std::string start() override;
    std::string addFrame(const RgbaPicture& frame) override;
    std::string finish() override;

    // ffmpeg's constant rate factor for a quality from 0 to 100: 51 (the
    // worst) to 12 (no visible loss); none gives 23, ffmpeg's default.
    static int rateFactor(const std::optional<int>& quality);

private:
    std::vector<std::string> arguments() const;
    std::string spawn();
    std::string waitForEncoder();
    std::string copyVideo();
    void stop();

    std::FILE* out;
    AnimationFormat format;
    std::string program;
    int videoFd = -1; // the unnamed file ffmpeg writes
    int pipeFd = -1;  // the frames go in here
    pid_t child = -1;
    std::vector<std::uint8_t> rgb;
    struct sigaction previousPipeAction {};
    bool pipeSignalIgnored = false;
};

} // namespace Vextal
