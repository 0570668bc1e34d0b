#pragma once
// Draws the editor's tool windows with Dear ImGui: the property window as one undecorated,
// fixed 256-pixel strip right of the game view, and dialogs as modal popups over both. The
// game picture and the strip are composed into one picture of our own, which is then shown
// in the window (and can be read back for screenshots), so the panel is the same whether
// the window could grow or not (a headless surface keeps its first size).
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "platform/gui/modal_runner.h"
#include "platform/gui/tool_window.h"
#include "platform/window/window.h"

namespace gui {

class ImGuiPanel : public ModalRunner {
  public:
    static constexpr i32 kWidth = 256;

    // The window's GL context must be current on this thread. No imgui.ini is read or
    // written.
    explicit ImGuiPanel(window::Window& window);
    ~ImGuiPanel() override;
    ImGuiPanel(const ImGuiPanel&) = delete;
    ImGuiPanel& operator=(const ImGuiPanel&) = delete;

    // The window drawn in the strip (null for none) and the game view's size.
    void Show(ToolWindow* tool) { m_tool = tool; }
    void SetViewSize(i32 width, i32 height);
    i32 ViewWidth() const { return m_view_width; }
    i32 ViewHeight() const { return m_view_height; }

    // Every window event, first: keys, text and wheel go to ImGui; the pointer is kept here.
    void Feed(const window::Event& event);
    // ImGui wants the mouse or the keyboard (a field is being typed in, the pointer is over
    // the panel or a popup).
    bool WantsInput() const;

    // Draws one frame of the strip (and the dialog, when one runs) beside the game picture
    // held by `gameFramebuffer` (rows from the top, the view's size), and copies the whole
    // into the window's back buffer.
    void Present(u32 gameFramebuffer);
    // The last composed picture as R, G, B, A bytes, row 0 at the top.
    std::vector<u8> ReadPicture(i32& width, i32& height) const;

    // Runs the dialog in a frame loop of its own (events pumped, the last game picture and
    // the popup drawn and shown) until OK or Cancel; closing the window is Cancel.
    i32 RunModal(const std::string& title, ToolWindow& dialog) override;
    // Called at the start of each frame of a modal loop, with its number (tests, scripted
    // runs).
    void SetModalFrameHook(std::function<void(int)> hook) { m_modal_hook = std::move(hook); }

    // The pointer in the composed picture's pixels and the left button, as a scripted run
    // or a test sets it.
    void SetMouse(float x, float y, bool down);
    // Where a control of the tool window or dialog was drawn in the last frame, in the
    // picture's pixels, and where an entry of an open combo box list was; false when it was
    // not drawn.
    bool DrawnRect(const ToolWindow& tool, ControlHandle handle, Rect& rect) const;
    bool DrawnEntryRect(const ToolWindow& tool, ControlHandle combo, i32 index, Rect& rect) const;

  private:
    struct Gl;
    void Frame(ToolWindow* modal, const std::string& title);
    void Compose(u32 gameFramebuffer);
    void DrawControls(ToolWindow& tool, bool inPopup);

    window::Window& m_window;
    std::unique_ptr<Gl> m_gl;
    void* m_context = nullptr;
    ToolWindow* m_tool = nullptr;
    i32 m_view_width = 0;
    i32 m_view_height = 0;
    float m_mouse_x = -1.0e9f;
    float m_mouse_y = -1.0e9f;
    bool m_down = false;
    bool m_pressed = false;
    u32 m_last_game = 0;
    using DrawnKey = std::tuple<const ToolWindow*, ControlHandle, i32>;
    std::map<DrawnKey, Rect> m_drawn;
    std::function<void(int)> m_modal_hook;
    bool m_modal_done = false;
    bool m_modal_abandoned = false;
    i32 m_modal_answer = kIdCancel;
};

} // namespace gui
