#include "tools/SkippedWords.h"

#include "base/EscapedText.h"
#include "scene/SceneExplanation.h"

#include <string>

namespace VextalTools {

namespace {

// A file of garbage skips thousands of words; the first few tell the story.
constexpr std::size_t shownAtMost = 5;

} // namespace

void tellSkippedWords(std::FILE* out, const char* program, const char* scenePath) {
    Vextal::SceneBytes read;
    Vextal::SceneLoadResult refusal;
    if (!Vextal::readSceneBytes(scenePath, read, refusal))
        return; // the load itself says why the file cannot be read
    const Vextal::SceneExplanation explained = Vextal::explainScene(read.bytes);
    const std::string path = Vextal::escaped(scenePath);
    std::size_t skipped = 0;
    for (const Vextal::SceneStep& step : explained.steps) {
        if (step.kind != Vextal::SceneStep::Kind::ignored)
            continue;
        if (++skipped > shownAtMost)
            continue;
        std::string line =
            Vextal::quotedToken(step.token, step.tokenLength) + " is not a command, skipped";
        if (!step.suggestion.empty())
            line += "; did you mean '" + step.suggestion + "'?";
        std::fprintf(out, "%s: %s:%u: %s\n", program, path.c_str(), unsigned(step.line),
                     line.c_str());
    }
    if (skipped > shownAtMost)
        std::fprintf(out, "%s: %s: %zu more words skipped (vextal-check %s lists them all)\n",
                     program, path.c_str(), skipped - shownAtMost, path.c_str());
}

} // namespace VextalTools
