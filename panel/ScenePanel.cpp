#include "panel/ScenePanel.h"

#include "colour/RangeLabels.h"
#include "meshfiles/MeshFormats.h"
#include "panel/PanelTitle.h"
#include "panel/SceneEditor.h"

#include <imgui.h>
#include <imgui_stdlib.h>

#include <optional>
#include <string>
#include <string_view>

namespace Vextal {

namespace {

constexpr float panelWidth = 330;
constexpr float angleSpeed = 0.005f;
constexpr float coefficientSpeed = 0.01f;

bool surfaceChoice(SceneValues& v) {
    int surface = int(v.surface);
    bool changed = ImGui::RadioButton("spheric", &surface, int(SurfaceKind::spheric));
    ImGui::SameLine();
    changed |= ImGui::RadioButton("toric", &surface, int(SurfaceKind::toric));
    ImGui::SameLine();
    changed |= ImGui::RadioButton("harmonic", &surface, int(SurfaceKind::harmonic));
    ImGui::SameLine();
    changed |= ImGui::RadioButton("typed", &surface, int(SurfaceKind::formula));
    v.surface = SurfaceKind(surface);
    return changed;
}

// Dragging stays within 3 to 255; a typed count goes to the loader as typed,
// and its count rule decides what it becomes (300 is 44).
bool gridValues(SceneValues& v) {
    bool changed = ImGui::DragInt("slice", &v.sliceCount, 0.2f, 3, 255);
    changed |= ImGui::DragInt("rotate", &v.rotateCount, 0.2f, 3, 255);
    changed |= ImGui::Checkbox("close", &v.closed);
    float phi[2] = {v.phiMin, v.phiMax};
    float theta[2] = {v.thetaMin, v.thetaMax};
    changed |= ImGui::DragFloat2("phirange", phi, angleSpeed, 0, 0, "%.4g");
    changed |= ImGui::DragFloat2("thetarange", theta, angleSpeed, 0, 0, "%.4g");
    v.phiMin = phi[0];
    v.phiMax = phi[1];
    v.thetaMin = theta[0];
    v.thetaMax = theta[1];
    return changed;
}

bool coefficients(const char* name, float* values, const char* const* labels, int count) {
    bool changed = false;
    ImGui::TextUnformatted(name);
    ImGui::PushID(name);
    for (int k = 0; k < count; ++k) {
        if (k % 2 == 1)
            ImGui::SameLine(panelWidth / 2);
        ImGui::SetNextItemWidth(panelWidth / 2 - 50);
        changed |= ImGui::DragFloat(labels[k], &values[k], coefficientSpeed, 0, 0, "%.4g");
    }
    ImGui::PopID();
    return changed;
}

// A typed surface: a slider per parameter within its range, and x, y and z
// as text. The text stays as typed while it does not load, with the
// loader's reason beside it; the values (and what Save writes) keep the last
// text that loaded.
bool formulaFields(SceneValues& v, ScenePanelView& view, const SceneEditor& editor) {
    bool changed = false;
    ImGui::PushID("parameters");
    for (FormulaParameter& p : v.formula.parameters)
        changed |= ImGui::SliderFloat(p.name.c_str(), &p.value, p.low, p.high, "%.4g");
    ImGui::PopID();
    std::string* texts[3] = {&v.formula.x, &v.formula.y, &v.formula.z};
    static const char* const labels[3] = {"x", "y", "z"};
    for (int k = 0; k < 3; ++k) {
        if (view.formulaDraftOf[k] != *texts[k]) {
            view.formulaDraft[k] = *texts[k];
            view.formulaDraftOf[k] = *texts[k];
        }
        ImGui::SetNextItemWidth(panelWidth - 40);
        if (ImGui::InputText(labels[k], &view.formulaDraft[k])) {
            *texts[k] = view.formulaDraft[k];
            changed = true;
        }
    }
    const bool drafted = view.formulaDraft[0] != view.formulaDraftOf[0] ||
                         view.formulaDraft[1] != view.formulaDraftOf[1] ||
                         view.formulaDraft[2] != view.formulaDraftOf[2];
    if (drafted && !editor.status().empty())
        ImGui::TextColored(ImVec4(1.0f, 0.5f, 0.4f, 1.0f), "%s", editor.status().c_str());
    return changed;
}

bool surfaceCoefficients(SceneValues& v) {
    static const char* const superformula[] = {"n1", "n2", "n3", "m", "a", "b"};
    static const char* const harmonic[] = {"m0", "m1", "m2", "m3", "m4", "m5", "m6", "m7"};
    if (v.surface == SurfaceKind::harmonic)
        return coefficients("coefh", v.coefh.data(), harmonic, 8);
    if (v.surface == SurfaceKind::formula)
        return false;
    bool changed = coefficients("coef1", v.coef1.data(), superformula, 6);
    changed |= coefficients("coef2", v.coef2.data(), superformula, 6);
    return changed;
}

// A drag or a typed value is one step to undo, from where it started; a
// click on a box or a choice is one step by itself. Only the values' own
// fields count: a button held down (Undo, Redo) is no change of a value.
void trackEdit(SceneEditor& editor, ScenePanelView& view, const SceneValues& before, bool changed,
               bool valueActive) {
    if (valueActive) {
        if (!view.editing) {
            view.editing = true;
            view.editStart = before;
        }
    } else if (view.editing) {
        view.editing = false;
        editor.commitEdit(view.editStart);
    } else if (changed) {
        editor.commitEdit(before);
    }
}

void facts(SceneEditor& editor, std::uint32_t frameMilliseconds) {
    ImGui::Text("%u vertices, %u triangles", unsigned(editor.vertexCount()),
                unsigned(editor.triangleCount()));
    ImGui::Text("load %.2f ms, frame %u ms", editor.loadMilliseconds(),
                unsigned(frameMilliseconds));
    const ImVec4 amber(1.0f, 0.75f, 0.2f, 1.0f);
    ImGui::PushStyleColor(ImGuiCol_Text, amber);
    for (const std::string& warning : editor.warnings())
        ImGui::TextWrapped("%s", warning.c_str());
    ImGui::PopStyleColor();
    if (!editor.status().empty())
        ImGui::TextWrapped("%s", editor.status().c_str());
    if (editor.fileChangedOnDisk()) {
        ImGui::TextColored(ImVec4(1.0f, 0.5f, 0.4f, 1.0f), "the file changed on disk");
        if (ImGui::Button("Take the file's values"))
            editor.revert();
    }
}

void fileButtons(SceneEditor& editor, ScenePanelView& view) {
    if (ImGui::Button("Save (Ctrl+S)"))
        editor.save();
    ImGui::SameLine();
    if (ImGui::Button("Revert"))
        editor.revert();
    ImGui::SameLine();
    if (ImGui::Button("Undo") && editor.canUndo())
        editor.undo();
    ImGui::SameLine();
    if (ImGui::Button("Redo") && editor.canRedo())
        editor.redo();
    ImGui::SetNextItemWidth(panelWidth - 100);
    ImGui::InputText("##name", &view.saveName);
    ImGui::SameLine();
    if (ImGui::Button("Save as")) {
        if (const std::optional<std::string> written = editor.saveAs(view.saveName))
            view.saveName = *written;
    }
}

void writeButtons(SceneEditor& editor, ScenePanelView& view) {
    if (ImGui::Button("Write PNG"))
        view.pictureWanted = true;
    int k = 0;
    for (const MeshFormat& format : meshFormats()) {
        ImGui::SameLine();
        ImGui::RadioButton(format.title, &view.meshFormat, k++);
    }
    ImGui::Checkbox("weld", &view.weld);
    ImGui::SameLine();
    if (ImGui::Button("Write mesh"))
        editor.writeMesh(meshFormats()[std::size_t(view.meshFormat)], view.weld);
}

// Drawn as plain text over an empty window title, which Dear ImGui would
// cut at "##".
void drawTitle(const std::string& path, bool unsaved) {
    const ImGuiStyle& style = ImGui::GetStyle();
    const ImVec2 corner = ImGui::GetWindowPos();
    const float room = ImGui::GetWindowWidth() - 2 * style.FramePadding.x;
    const std::string title = panelTitleText(path, unsaved, room, [](std::string_view text) {
        return ImGui::CalcTextSize(text.data(), text.data() + text.size()).x;
    });
    ImDrawList* over = ImGui::GetForegroundDrawList();
    const ImVec2 at(corner.x + style.FramePadding.x, corner.y + style.FramePadding.y);
    over->PushClipRect(
        corner, ImVec2(corner.x + ImGui::GetWindowWidth(), corner.y + ImGui::GetFrameHeight()));
    over->AddText(at, ImGui::GetColorU32(ImGuiCol_Text), title.c_str());
    over->PopClipRect();
}

} // namespace

void colourChoice(ScenePanelView& view) {
    const std::string_view current = colourModeName(view.colourMode);
    ImGui::SetNextItemWidth(panelWidth - 110);
    if (ImGui::BeginCombo("colour (C)", current.data())) {
        for (ColourMode mode : colourModes())
            if (ImGui::Selectable(colourModeName(mode).data(), mode == view.colourMode))
                view.colourMode = mode;
        ImGui::EndCombo();
    }
    if (view.colourMode != ColourMode::plain) {
        const double ends[] = {view.colourLow, view.colourHigh};
        const int digits = digitsApart(ends, 4);
        ImGui::Text("from %s to %s", withDigits(ends[0], digits).c_str(),
                    withDigits(ends[1], digits).c_str());
    }
}

void showScenePanel(SceneEditor& editor, ScenePanelView& view, std::uint32_t frameMilliseconds) {
    if (!view.visible)
        return;
    ImGui::SetNextWindowPos(ImVec2(0, 0));
    // As tall as its lines: the views take the window beside it.
    ImGui::SetNextWindowSize(ImVec2(panelWidth, 0));
    ImGui::Begin("###scene", nullptr,
                 ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoCollapse |
                     ImGuiWindowFlags_NoSavedSettings);
    drawTitle(editor.scenePath(), editor.unsaved());
    const SceneValues before = editor.values();
    SceneValues edited = before;
    ImGui::BeginGroup();
    ImGui::PushItemWidth(panelWidth - 110);
    bool changed = surfaceChoice(edited);
    changed |= gridValues(edited);
    ImGui::PopItemWidth();
    changed |= surfaceCoefficients(edited);
    if (edited.surface == SurfaceKind::formula)
        changed |= formulaFields(edited, view, editor);
    ImGui::EndGroup();
    // After EndGroup, the group is active while any of its fields is.
    const bool valueActive = ImGui::IsItemActive();
    if (changed)
        editor.edit(edited);
    trackEdit(editor, view, before, changed, valueActive);
    if (!view.editing)
        editor.surveyIfStale();
    // The buttons stay in place whatever the lines below them say.
    ImGui::Separator();
    fileButtons(editor, view);
    writeButtons(editor, view);
    colourChoice(view);
    ImGui::Separator();
    facts(editor, frameMilliseconds);
    const ImVec2 position = ImGui::GetWindowPos();
    const ImVec2 size = ImGui::GetWindowSize();
    view.x = position.x;
    view.y = position.y;
    view.width = size.x;
    view.height = size.y;
    ImGui::End();
}

} // namespace Vextal
