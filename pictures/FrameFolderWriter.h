#pragma once

#include "pictures/AnimationWriter.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Vextal {

// The frames as numbered PNG files in a folder (frame-0001.png, ...; four
// digits at least), each written whole through OutputFile: a file holds
// either its old content or the complete new frame. The folder is made when
// missing (its parent must exist). The comment goes into every frame. A frame
// file that is one of the inputs (by any name or link) is refused before any
// frame is written; after the last frame, the frame files an earlier, longer
// run left beyond this run's count are removed, so the folder holds exactly
// this run's frames. Other files are never touched.
class FrameFolderWriter : public AnimationWriter {
public:
    FrameFolderWriter(std::string folder, const AnimationFormat& format, std::string comment,
                      std::vector<std::string> inputs = {});

    std::string start() override;
    std::string addFrame(const RgbaPicture& frame) override;
    std::string finish() override;

    // "FOLDER/frame-0012.png" for the frame at index 11.
    std::string framePath(std::uint32_t index) const;

private:
    std::string refuseInputs() const;

    std::string folder;
    AnimationFormat format;
    std::string comment;
    std::vector<std::string> inputs;
    std::uint32_t frameIndex = 0;
};

// The frame number (from 1) of a name the writer gives a frame file, such as
// 12 for "frame-0012.png"; none for any other name ("frame-12.png" too).
std::optional<std::uint32_t> frameNumberOf(std::string_view name);

} // namespace Vextal
