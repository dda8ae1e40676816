#include "app/sdl/SdlPanel.h"

#include "app/ViewerState.h"
#include "panel/SceneEditor.h"
#include "render/ReadPixels.h"

#include <SDL2/SDL.h>
#include <imgui.h>
#include <imgui_impl_opengl2.h>
#include <imgui_impl_sdl.h>

namespace Vextal {

namespace {

// Dear ImGui settles hover and press highlights over two frames; a click
// acts in the second, and a line it adds (a save's status) is fitted into
// the panel's height in a third.
constexpr int framesAfterInput = 3;

} // namespace

SdlPanel::SdlPanel(SceneEditor& editor) : editor(editor) {
    IMGUI_CHECKVERSION();
    context = ImGui::CreateContext();
    ImGuiIO& io = ImGui::GetIO();
    // Nothing is written to the working directory.
    io.IniFilename = nullptr;
    io.LogFilename = nullptr;
    // A blinking cursor would need a frame every half second.
    io.ConfigInputTextCursorBlink = false;
    ImGui::StyleColorsDark();
}

SdlPanel::~SdlPanel() {
    windowDestroyed();
    ImGui::DestroyContext(context);
}

void SdlPanel::startBackends() {
    SDL_Window* current = SDL_GL_GetCurrentWindow();
    if (current == window)
        return;
    windowDestroyed();
    ImGui_ImplSDL2_InitForOpenGL(current, SDL_GL_GetCurrentContext());
    ImGui_ImplOpenGL2_Init();
    window = current;
}

void SdlPanel::windowDestroyed() {
    if (!window)
        return;
    ImGui_ImplOpenGL2_Shutdown();
    ImGui_ImplSDL2_Shutdown();
    window = nullptr;
}

bool SdlPanel::shortcut(const SDL_Event& event) {
    if (event.type != SDL_KEYDOWN)
        return false;
    const SDL_Keycode key = event.key.keysym.sym;
    const bool control = (event.key.keysym.mod & KMOD_CTRL) != 0;
    // A text field being typed in keeps its own undo.
    const bool typing = ImGui::GetIO().WantTextInput;
    if (key == SDLK_F1 && !control) {
        if (event.key.repeat == 0)
            view.visible = !view.visible;
    } else if (control && key == SDLK_s) {
        if (event.key.repeat == 0)
            editor.save();
    } else if (control && key == SDLK_z && !typing) {
        editor.undo();
    } else if (control && key == SDLK_y && !typing) {
        editor.redo();
    } else {
        return false;
    }
    return true;
}

bool SdlPanel::pointerOver(const SDL_Event& event) const {
    if (!view.visible)
        return false;
    if (ImGui::IsAnyItemActive())
        return true; // a value is being dragged, wherever the pointer goes
    int x = 0, y = 0;
    if (event.type == SDL_MOUSEMOTION) {
        x = event.motion.x;
        y = event.motion.y;
    } else if (event.type == SDL_MOUSEBUTTONDOWN || event.type == SDL_MOUSEBUTTONUP) {
        x = event.button.x;
        y = event.button.y;
    } else {
        SDL_GetMouseState(&x, &y);
    }
    return view.contains(float(x), float(y));
}

bool SdlPanel::takeEvent(const SDL_Event& event) {
    if (!window)
        return false; // nothing drawn yet: the backends are not up
    if (shortcut(event)) {
        framesWanted = framesAfterInput;
        return true;
    }
    const bool over = pointerOver(event);
    ImGui_ImplSDL2_ProcessEvent(&event);
    bool takes = false;
    switch (event.type) {
    case SDL_MOUSEMOTION:
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEWHEEL:
        takes = over;
        break;
    case SDL_KEYDOWN:
        takes = view.visible && (over || ImGui::GetIO().WantCaptureKeyboard);
        break;
    case SDL_MOUSEBUTTONUP:
    case SDL_KEYUP:
    case SDL_TEXTINPUT:
        takes = false;
        if (view.visible)
            framesWanted = framesAfterInput;
        break;
    default:
        break;
    }
    // Leaving the panel takes a frame too, to drop its highlights.
    if (takes || (event.type == SDL_MOUSEMOTION && pointerWasOver))
        framesWanted = framesAfterInput;
    if (event.type == SDL_MOUSEMOTION)
        pointerWasOver = over;
    return takes;
}

void SdlPanel::sceneFileRead() {
    editor.readFile();
}

void SdlPanel::sceneFileSaved() {
    editor.fileSaved();
    framesWanted = framesAfterInput;
}

std::uint32_t SdlPanel::viewsLeftEdge() const {
    return view.visible ? std::uint32_t(view.x + view.width) : 0;
}

bool SdlPanel::wantsFrame() {
    const bool meshChanged = editor.takeMeshChange();
    // What the colouring works out from the formula follows the editor's loads.
    if (meshChanged)
        sceneState().meshValues = editor.values();
    return meshChanged || framesWanted > 0 || view.pictureWanted;
}

// The views alone, as drawn in this frame before the panel goes over them.
void SdlPanel::writeWantedPicture() {
    if (!view.pictureWanted)
        return;
    view.pictureWanted = false;
    int width = 0, height = 0;
    SDL_GL_GetDrawableSize(window, &width, &height);
    const std::vector<std::uint8_t> pixels = readPixelsTopDown(width, height);
    if (!pixels.empty())
        editor.writePicture({std::uint32_t(width), std::uint32_t(height), pixels.data()});
}

// SDL's global pointer position, which the backend prefers, is a cache that
// X11 refreshes only on raw input events, which a pointer moved by another
// client (or the window system during a grab) may never send; the window's
// own pointer events are always current.
void SdlPanel::followPointer() {
    int x = 0, y = 0;
    const std::uint32_t buttons = SDL_GetMouseState(&x, &y);
    if (SDL_GetMouseFocus() == window || buttons != 0)
        ImGui::GetIO().MousePos = ImVec2(float(x), float(y));
}

void SdlPanel::drawOver(std::uint32_t lastFrameMilliseconds) {
    startBackends();
    writeWantedPicture();
    ImGui_ImplOpenGL2_NewFrame();
    ImGui_ImplSDL2_NewFrame();
    followPointer();
    ImGui::NewFrame();
    // The colouring is the viewer's; the panel shows it and may choose another.
    std::optional<ViewerColouring>& colouring = viewerState().colouring;
    if (colouring) {
        view.colourMode = colouring->mode;
        view.colourLow = viewerState().render.meshColours.low;
        view.colourHigh = viewerState().render.meshColours.high;
    }
    showScenePanel(editor, view, lastFrameMilliseconds);
    if (colouring)
        colouring->mode = view.colourMode;
    ImGui::Render();
    ImGui_ImplOpenGL2_RenderDrawData(ImGui::GetDrawData());
    if (framesWanted > 0)
        --framesWanted;
}

} // namespace Vextal
