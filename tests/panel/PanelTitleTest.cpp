#include "panel/PanelTitle.h"

#include <gtest/gtest.h>

using namespace Vextal;

namespace {

// One unit a character, however many bytes it takes: a title cut inside a
// character shows as a stray continuation byte in the expected text.
float characters(std::string_view text) {
    float count = 0;
    for (const char byte : text)
        count += (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
    return count;
}

std::string title(const std::string& path, float room, bool unsaved = false) {
    return panelTitleText(path, unsaved, room, characters);
}

} // namespace

TEST(PanelTitleTest, keepsTheWholeNameAndShortensTheFolderFromTheLeft) {
    // "##" is part of the name, not a cut.
    EXPECT_EQ(title("/home/ann/a##b.vextal", 40), "/home/ann/a##b.vextal");
    EXPECT_EQ(title("/home/ann/scenes/a##b.vextal", 20), "...cenes/a##b.vextal");
    // The name and " (unsaved)" stay whole even where nothing else fits.
    EXPECT_EQ(title("/home/ann/a##b.vextal", 28, true), "...ann/a##b.vextal (unsaved)");
    EXPECT_EQ(title("/home/ann/a##b.vextal", 5, true), "...a##b.vextal (unsaved)");
    EXPECT_EQ(title("a##b.vextal", 5), "a##b.vextal");
    // Multi-byte characters and escapes are dropped whole.
    EXPECT_EQ(title("/\xc3\xb1"
                    "and\xc3\xba/\xc3\xa7\xc3\xa9/x.vextal",
                    13),
              "...\xc3\xa9/x.vextal");
    EXPECT_EQ(title("/d\x1b/n", 7), ".../n");
    // Control bytes never reach the screen.
    EXPECT_EQ(title("/tmp/a\x1b]0;X\a.vextal", 80), "/tmp/a\\x1b]0;X\\x07.vextal");
}
