#pragma once

#include "pictures/AnimationWriter.h"

#include <string>

namespace Vextal {

// The frames as numbered PNG files in a folder (frame-0001.png, ...; four
// digits at least), each written whole through OutputFile: a file holds
// either its old content or the complete new frame. The folder is made when
// missing (its parent must exist). The comment goes into every frame.
class FrameFolderWriter : public AnimationWriter {
public:
    FrameFolderWriter(std::string folder, const AnimationFormat& format, std::string comment);

    std::string start() override;
    std::string addFrame(const RgbaPicture& frame) override;
    std::string finish() override { return {}; }

    // "FOLDER/frame-0012.png" for the frame at index 11.
    std::string framePath(std::uint32_t index) const;

private:
    std::string folder;
    AnimationFormat format;
    std::string comment;
    std::uint32_t frameIndex = 0;
};

} // namespace Vextal
