#include "render/RenderFixture.h"

#include "render/DrawViews.h"
#include "render/InitRendering.h"

#include <unistd.h>

namespace VextalTest {

void RenderTest::SetUp() {
    ASSERT_TRUE(offscreen.create(800, 600)) << offscreen.error();
    char cwd[4096];
    ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);
    previousDirectory = cwd;
    ASSERT_EQ(::chdir(dir.path("").c_str()), 0);
}

void RenderTest::TearDown() {
    if (!previousDirectory.empty()) {
        EXPECT_EQ(::chdir(previousDirectory.c_str()), 0);
    }
}

void RenderTest::startWith(const std::string& scene) {
    dir.write("conf.txt", scene);
    ASSERT_TRUE(Vextal::initRendering(keys));
}

Picture RenderTest::drawFrame() {
    Vextal::drawViews();
    return {offscreen.width(), offscreen.height(), offscreen.readPixels()};
}

} // namespace VextalTest
