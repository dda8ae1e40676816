#pragma once

#include "app/Overlay.h"
#include "panel/ScenePanel.h"

typedef union SDL_Event SDL_Event;
struct SDL_Window;
struct ImGuiContext;

namespace Vextal {

class SceneEditor;

// The scene panel in the viewer's window: Dear ImGui's own context, its SDL2
// and OpenGL2 backends on the window whose context is current, the events
// the panel hears, and the panel drawn over the views. F1 hides and shows
// it; Ctrl+S saves, Ctrl+Z and Ctrl+Y undo and redo wherever the pointer is.
class SdlPanel final : public Overlay {
public:
    // The editor must outlive the panel.
    explicit SdlPanel(SceneEditor& editor);
    ~SdlPanel() override;
    SdlPanel(const SdlPanel&) = delete;
    SdlPanel& operator=(const SdlPanel&) = delete;

    // Hands an SDL event to the panel. True when the viewer must not hear it:
    // a pointer event over the panel or while one of its values is dragged,
    // a key pressed over the panel or while a text field has the keyboard,
    // and the panel's own shortcuts. Releases of keys and buttons always
    // reach the viewer too, so nothing stays held.
    bool takeEvent(const SDL_Event& event);
    // Before the window is destroyed: its backends go with it.
    void windowDestroyed();

    void sceneFileRead() override;
    void sceneFileSaved() override;
    std::uint32_t viewsLeftEdge() const override;
    bool wantsFrame() override;
    void drawOver(std::uint32_t lastFrameMilliseconds) override;

private:
    bool shortcut(const SDL_Event& event);
    bool pointerOver(const SDL_Event& event) const;
    void startBackends();
    void writeWantedPicture();
    void followPointer();

    SceneEditor& editor;
    ScenePanelView view;
    ImGuiContext* context = nullptr;
    SDL_Window* window = nullptr; // the backends' window, null before the first frame
    int framesWanted = 2;
    bool pointerWasOver = false;
};

} // namespace Vextal
