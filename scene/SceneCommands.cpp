#include "scene/SceneCommands.h"

#include "scene/SceneRules.h"

#include <algorithm>

namespace Vextal {

std::span<const SceneSelector> sceneSelectors() {
    static constexpr SceneSelector selectors[] = {
        {"\"sss", SurfaceKind::spheric},
        {"\"tss", SurfaceKind::toric},
        {"\"sh", SurfaceKind::harmonic},
    };
    return selectors;
}

// Any other token leaves the toric surface selected, with the toric
// superformula as the target of "coef1" and "coef2".
void ScenePrimitives::select(std::string_view token) {
    for (const SceneSelector& selector : sceneSelectors()) {
        if (selector.token != token)
            continue;
        kind = selector.surface;
        if (kind == SurfaceKind::spheric) {
            selected = &spheric;
            superformula = &spheric;
        } else if (kind == SurfaceKind::harmonic) {
            selected = &harmonic;
        }
    }
}

SceneSummary ScenePrimitives::summary() const {
    return {kind,
            selected->sliceCount,
            selected->rotateCount,
            selected->closed,
            selected->phiMin,
            selected->phiMax,
            selected->thetaMin,
            selected->thetaMax};
}

SceneValues ScenePrimitives::values() const {
    SceneValues v;
    v.surface = kind;
    v.sliceCount = selected->sliceCount;
    v.rotateCount = selected->rotateCount;
    v.closed = selected->closed;
    v.phiMin = selected->phiMin;
    v.phiMax = selected->phiMax;
    v.thetaMin = selected->thetaMin;
    v.thetaMax = selected->thetaMax;
    const SuperShapeCoefficients& c1 = superformula->coef1;
    const SuperShapeCoefficients& c2 = superformula->coef2;
    v.coef1 = {c1.n1, c1.n2, c1.n3, c1.m, c1.a, c1.b};
    v.coef2 = {c2.n1, c2.n2, c2.n3, c2.m, c2.a, c2.b};
    std::copy(harmonic.coefh.begin(), harmonic.coefh.end(), v.coefh.begin());
    v.pose = pose;
    return v;
}

namespace {

SuperShapeCoefficients coefficientsFrom(const float* v) {
    return {v[0], v[1], v[2], v[3], v[4], v[5]};
}

constexpr SceneCommand commands[] = {
    {"slice", 1,
     [](ScenePrimitives& s, const float* v) { s.selected->sliceCount = countRule(v[0]); }},
    {"rotate", 1,
     [](ScenePrimitives& s, const float* v) { s.selected->rotateCount = countRule(v[0]); }},
    {"close", 0, [](ScenePrimitives& s, const float*) { s.selected->closed = true; }},
    {"dontclose", 0, [](ScenePrimitives& s, const float*) { s.selected->closed = false; }},
    {"phirange", 2,
     [](ScenePrimitives& s, const float* v) {
         const AngleRange range = rangeRule(v[0], v[1]);
         s.selected->phiMin = range.start;
         s.selected->phiMax = range.end;
     }},
    {"thetarange", 2,
     [](ScenePrimitives& s, const float* v) {
         const AngleRange range = rangeRule(v[0], v[1]);
         s.selected->thetaMin = range.start;
         s.selected->thetaMax = range.end;
     }},
    {"coef1", 6,
     [](ScenePrimitives& s, const float* v) { s.superformula->setCoef1(coefficientsFrom(v)); }},
    {"coef2", 6,
     [](ScenePrimitives& s, const float* v) { s.superformula->setCoef2(coefficientsFrom(v)); }},
    {"coefh", 8,
     [](ScenePrimitives& s, const float* v) { std::copy(v, v + 8, s.harmonic.coefh.begin()); }},
    {"pose", 8,
     [](ScenePrimitives& s, const float* v) {
         if (const std::optional<ScenePose> pose = poseRule(v))
             s.pose = pose;
     }},
};

} // namespace

std::span<const SceneCommand> sceneCommands() {
    return commands;
}

const SceneCommand* findCommand(std::string_view token) {
    for (const SceneCommand& command : commands)
        if (command.keyword == token)
            return &command;
    return nullptr;
}

} // namespace Vextal
