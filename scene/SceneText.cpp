#include "scene/SceneExplanation.h"
#include "scene/SceneValues.h"

#include <span>

namespace Vextal {

namespace {

const char* selectorOf(SurfaceKind surface) {
    switch (surface) {
    case SurfaceKind::spheric:
        return "\"sss";
    case SurfaceKind::toric:
        return "\"tss";
    case SurfaceKind::harmonic:
        return "\"sh";
    case SurfaceKind::formula:
        return "\"xyz";
    }
    return "\"tss";
}

std::string command(const char* keyword, std::span<const float> values) {
    std::string line = keyword;
    for (const float value : values)
        line += " " + shortestText(value);
    return line + "\n";
}

// The loader orders a pair by "the second is greater": two values that
// compare equal (0 and -0) come back swapped unless written end first.
std::string range(const char* keyword, float start, float end) {
    return end > start ? command(keyword, std::array{start, end})
                       : command(keyword, std::array{end, start});
}

// An expression ends at its line's end: a line feed in edited text would end
// it early, so it becomes a space.
std::string oneLine(std::string text) {
    for (char& c : text)
        if (c == '\n')
            c = ' ';
    return text;
}

// The "pose" line, when one was set, of any surface.
std::string poseText(const SceneValues& v) {
    if (!v.pose)
        return "";
    const ScenePose& p = *v.pose;
    return command("pose", std::array{p.axis[0], p.axis[1], p.axis[2], p.angle, p.translation[0],
                                      p.translation[1], p.translation[2], p.scale});
}

std::string formulaText(const SceneValues& v) {
    std::string text = "\"xyz\n";
    text += "slice " + std::to_string(v.sliceCount) + "\n";
    text += "rotate " + std::to_string(v.rotateCount) + "\n";
    for (const FormulaParameter& p : v.formula.parameters)
        text += "param " + p.name + " " + shortestText(p.value) + " " + shortestText(p.low) + " " +
                shortestText(p.high) + "\n";
    text += command("urange", std::array{v.thetaMin, v.thetaMax});
    text += command("vrange", std::array{v.phiMin, v.phiMax});
    text += "x " + oneLine(v.formula.x) + "\n";
    text += "y " + oneLine(v.formula.y) + "\n";
    text += "z " + oneLine(v.formula.z) + "\n";
    return text + poseText(v) + "render\n";
}

} // namespace

std::string sceneText(const SceneValues& v) {
    if (v.surface == SurfaceKind::formula)
        return formulaText(v);
    std::string text = std::string(selectorOf(v.surface)) + "\n";
    text += "slice " + std::to_string(v.sliceCount) + "\n";
    text += "rotate " + std::to_string(v.rotateCount) + "\n";
    text += v.closed ? "close\n" : "dontclose\n";
    text += range("phirange", v.phiMin, v.phiMax);
    text += range("thetarange", v.thetaMin, v.thetaMax);
    if (v.surface == SurfaceKind::harmonic) {
        text += command("coefh", v.coefh);
    } else {
        text += command("coef1", v.coef1);
        text += command("coef2", v.coef2);
    }
    return text + poseText(v) + "render\n";
}

} // namespace Vextal
