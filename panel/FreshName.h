#pragma once

#include <string>

namespace Vextal {

// A name beside `path` that nothing has yet: its folder, its file name
// without the last extension, "-N" and the extension, with the lowest N from
// 1 ("shapes/starfish.vextal", "png" -> "shapes/starfish-1.png").
std::string freshNameBeside(const std::string& path, const std::string& extension);

} // namespace Vextal
