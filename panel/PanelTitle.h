#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace Vextal {

// The panel's title line for the scene file at `path`: the file's whole name
// with its extension, " (unsaved)" when the file would change if saved, and
// as much of its folder as fits in `room`, shortened from the left behind
// "...". `widthOf` measures a text as it is drawn (it must not shrink as text
// is added). The path is escaped, so control bytes show as \xNN; characters
// and escapes are dropped whole. A name wider than the room is kept whole.
std::string panelTitleText(const std::string& path, bool unsaved, float room,
                           const std::function<float(std::string_view)>& widthOf);

} // namespace Vextal
