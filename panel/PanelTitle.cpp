#include "panel/PanelTitle.h"

#include "base/EscapedText.h"

#include <vector>

namespace Vextal {

namespace {

// The length of the unit escaped text starts with: an escape (\xNN, or a
// doubled backslash) or one UTF-8 character, so a cut never splits either.
std::size_t unitLength(std::string_view text) {
    if (text[0] == '\\')
        return text.size() > 1 && text[1] == 'x' ? 4 : 2;
    const std::size_t length = utf8Length(text);
    return length > 0 ? length : 1;
}

} // namespace

std::string panelTitleText(const std::string& path, bool unsaved, float room,
                           const std::function<float(std::string_view)>& widthOf) {
    const std::string shown = escaped(path);
    const std::size_t slash = shown.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "" : shown.substr(0, slash + 1);
    const std::string name = shown.substr(folder.size()) + (unsaved ? " (unsaved)" : "");
    if (folder.empty() || widthOf(folder + name) <= room)
        return folder + name;
    // Where the shortened folder may start, from its second unit to none of
    // it; the title narrows as the start moves right, so the first start
    // that fits is found by halving.
    std::vector<std::size_t> starts;
    for (std::size_t at = unitLength(folder); at < folder.size();
         at += unitLength(std::string_view(folder).substr(at)))
        starts.push_back(at);
    starts.push_back(folder.size());
    const auto title = [&](std::size_t k) { return "..." + folder.substr(starts[k]) + name; };
    std::size_t low = 0, high = starts.size() - 1;
    while (low < high) {
        const std::size_t middle = (low + high) / 2;
        if (widthOf(title(middle)) <= room)
            high = middle;
        else
            low = middle + 1;
    }
    return title(low);
}

} // namespace Vextal
