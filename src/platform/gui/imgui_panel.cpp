#include "platform/gui/imgui_panel.h"

#include <SDL.h>
#include <epoxy/gl.h>
#include <imgui.h>
#include <imgui_internal.h>
#include <imgui_stdlib.h>

#include <algorithm>

#include "backends/imgui_impl_opengl3.h"
#include "backends/imgui_impl_sdl.h"

namespace gui {

namespace {

Rect LastItemRect() {
    const ImVec2 min = ImGui::GetItemRectMin();
    const ImVec2 max = ImGui::GetItemRectMax();
    return {static_cast<i32>(min.x), static_cast<i32>(min.y), static_cast<i32>(max.x - min.x),
            static_cast<i32>(max.y - min.y)};
}

constexpr float kPopupPadding = 8.0f;
constexpr i32 kComboHeight = 20;

std::string ButtonLabel(const std::string& text) {
    std::string label;
    for (char c : text) {
        if (c != '&') {
            label += c;
        }
    }
    return label;
}

ImGuiContext* Context(void* context) {
    return static_cast<ImGuiContext*>(context);
}

} // namespace

// The composed picture: the game view on the left, the strip on the right.
struct ImGuiPanel::Gl {
    GLuint framebuffer = 0;
    GLuint colour = 0;
    i32 width = 0;
    i32 height = 0;

    ~Gl() { Release(); }
    void Release() {
        if (framebuffer != 0) {
            glDeleteFramebuffers(1, &framebuffer);
        }
        if (colour != 0) {
            glDeleteTextures(1, &colour);
        }
        framebuffer = colour = 0;
    }
    void Ensure(i32 w, i32 h) {
        if (framebuffer != 0 && w == width && h == height) {
            return;
        }
        Release();
        width = w;
        height = h;
        GLint previousTexture = 0;
        GLint previousFramebuffer = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &previousTexture);
        glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &previousFramebuffer);
        glGenTextures(1, &colour);
        glBindTexture(GL_TEXTURE_2D, colour);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glGenFramebuffers(1, &framebuffer);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, framebuffer);
        glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colour, 0);
        glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(previousTexture));
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(previousFramebuffer));
    }
};

ImGuiPanel::ImGuiPanel(window::Window& window) : m_window(window), m_gl(std::make_unique<Gl>()) {
    ImGuiContext* previous = ImGui::GetCurrentContext();
    m_context = ImGui::CreateContext();
    ImGui::SetCurrentContext(Context(m_context));
    ImGuiIO& io = ImGui::GetIO();
    io.IniFilename = nullptr;
    io.LogFilename = nullptr;
    // Tab walks the controls; the pointer's shape and visibility stay the game's.
    io.ConfigFlags |= ImGuiConfigFlags_NavEnableKeyboard | ImGuiConfigFlags_NoMouseCursorChange;
    ImGui::StyleColorsLight();
    // The controls were sized for a narrower font than ImGui's own.
    io.FontGlobalScale = 0.85f;
    ImGuiStyle& style = ImGui::GetStyle();
    style.WindowRounding = 0.0f;
    style.WindowBorderSize = 1.0f;
    style.FramePadding = ImVec2(3.0f, 2.0f);
    ImGui_ImplSDL2_InitForOpenGL(window.Sdl(), window.GLContext());
    ImGui_ImplOpenGL3_Init("#version 330 core");
    m_view_width = window.Width();
    m_view_height = window.Height();
    if (previous != nullptr) {
        ImGui::SetCurrentContext(previous);
    }
}

ImGuiPanel::~ImGuiPanel() {
    ImGui::SetCurrentContext(Context(m_context));
    m_gl.reset();
    ImGui_ImplOpenGL3_Shutdown();
    ImGui_ImplSDL2_Shutdown();
    ImGui::DestroyContext(Context(m_context));
}

void ImGuiPanel::SetViewSize(i32 width, i32 height) {
    m_view_width = std::max(width, 1);
    m_view_height = std::max(height, 1);
}

void ImGuiPanel::Feed(const window::Event& event) {
    const SDL_Event& native = event.Native();
    switch (native.type) {
    case SDL_MOUSEMOTION:
        m_mouse_x = static_cast<float>(native.motion.x);
        m_mouse_y = static_cast<float>(native.motion.y);
        return;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        m_mouse_x = static_cast<float>(native.button.x);
        m_mouse_y = static_cast<float>(native.button.y);
        if (native.button.button == SDL_BUTTON_LEFT) {
            m_down = native.type == SDL_MOUSEBUTTONDOWN;
            m_pressed = m_pressed || m_down;
        }
        return;
    default:
        break;
    }
    ImGui::SetCurrentContext(Context(m_context));
    ImGui_ImplSDL2_ProcessEvent(&native);
}

bool ImGuiPanel::WantsInput() const {
    ImGui::SetCurrentContext(Context(m_context));
    const ImGuiIO& io = ImGui::GetIO();
    return io.WantCaptureKeyboard || io.WantTextInput || io.WantCaptureMouse ||
           m_mouse_x >= static_cast<float>(m_view_width);
}

void ImGuiPanel::SetMouse(float x, float y, bool down) {
    m_mouse_x = x;
    m_mouse_y = y;
    m_down = down;
    m_pressed = m_pressed || down;
}

bool ImGuiPanel::DrawnRect(const ToolWindow& tool, ControlHandle handle, Rect& rect) const {
    return DrawnEntryRect(tool, handle, -1, rect);
}

bool ImGuiPanel::DrawnEntryRect(const ToolWindow& tool, ControlHandle combo, i32 index,
                                Rect& rect) const {
    const auto found = m_drawn.find({&tool, combo, index});
    if (found == m_drawn.end()) {
        return false;
    }
    rect = found->second;
    return true;
}

void ImGuiPanel::DrawControls(ToolWindow& tool, bool inPopup) {
    const float top = inPopup ? ImGui::GetFrameHeight() + kPopupPadding : 0.0f;
    const float left = inPopup ? kPopupPadding : 0.0f;
    for (Control& control : tool.Controls()) {
        if (!control.visible) {
            continue;
        }
        ImGui::SetCursorPos(ImVec2(left + static_cast<float>(control.rect.x),
                                   top + static_cast<float>(control.rect.y)));
        ImGui::PushID(static_cast<int>(control.handle));
        const ImVec2 size(static_cast<float>(control.rect.w), static_cast<float>(control.rect.h));
        switch (control.kind) {
        case ControlKind::Label:
            ImGui::TextUnformatted(control.text.c_str());
            break;
        case ControlKind::Edit:
            ImGui::SetNextItemWidth(size.x);
            if (ImGui::InputText("##edit", &control.text, ImGuiInputTextFlags_EnterReturnsTrue)) {
                tool.Post(kIdOk);
            }
            if (control.text.size() > kMaxText) {
                control.text.resize(kMaxText);
            }
            break;
        case ControlKind::Button:
            if (ImGui::Button(ButtonLabel(control.text).c_str(), size)) {
                tool.Post(control.id);
            }
            break;
        case ControlKind::Combo: {
            ImGui::SetNextItemWidth(size.x);
            const bool shown = control.selection >= 0 &&
                               control.selection < static_cast<i32>(control.items.size());
            const char* preview =
                shown ? control.items[static_cast<std::size_t>(control.selection)].c_str() : "";
            const bool open = ImGui::BeginCombo("##combo", preview);
            m_drawn[{&tool, control.handle, -1}] = LastItemRect();
            if (open) {
                for (std::size_t i = 0; i < control.items.size(); ++i) {
                    ImGui::PushID(static_cast<int>(i));
                    if (ImGui::Selectable(control.items[i].c_str(),
                                          static_cast<i32>(i) == control.selection)) {
                        control.selection = static_cast<i32>(i);
                        tool.Post(control.id, kNotifySelChange);
                    }
                    m_drawn[{&tool, control.handle, static_cast<i32>(i)}] = LastItemRect();
                    ImGui::PopID();
                }
                ImGui::EndCombo();
            }
            break;
        }
        case ControlKind::CheckBox: {
            bool checked = control.checked;
            if (ImGui::Checkbox(control.text.c_str(), &checked)) {
                control.checked = checked;
            }
            break;
        }
        }
        if (control.kind != ControlKind::Combo) {
            m_drawn[{&tool, control.handle, -1}] = LastItemRect();
        }
        ImGui::PopID();
    }
}

void ImGuiPanel::Frame(ToolWindow* modal, const std::string& title) {
    ImGuiIO& io = ImGui::GetIO();
    ImGui_ImplOpenGL3_NewFrame();
    ImGui_ImplSDL2_NewFrame();
    // The pointer is ours: the backend reads the system's, which pushed events and the
    // headless driver never move.
    io.DisplaySize = ImVec2(static_cast<float>(m_gl->width), static_cast<float>(m_gl->height));
    io.DisplayFramebufferScale = ImVec2(1.0f, 1.0f);
    io.MousePos = ImVec2(m_mouse_x, m_mouse_y);
    io.MouseDown[0] = m_down || m_pressed;
    for (int button = 1; button < 5; ++button) {
        io.MouseDown[button] = false;
    }
    m_pressed = false;
    if (m_modal_abandoned) {
        // A dialog left by closing the window must not keep the panel blocked.
        m_modal_abandoned = false;
        ImGui::GetCurrentContext()->OpenPopupStack.resize(0);
    }
    ImGui::NewFrame();
    m_drawn.clear();
    if (m_tool != nullptr) {
        ImGui::SetNextWindowPos(ImVec2(static_cast<float>(m_view_width), 0.0f));
        ImGui::SetNextWindowSize(
            ImVec2(static_cast<float>(kWidth), static_cast<float>(m_view_height)));
        const ImGuiWindowFlags flags = ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoMove |
                                       ImGuiWindowFlags_NoSavedSettings |
                                       ImGuiWindowFlags_NoBringToFrontOnFocus;
        ImGui::PushStyleVar(ImGuiStyleVar_WindowPadding, ImVec2(0.0f, 0.0f));
        ImGui::Begin("##property window", nullptr, flags);
        DrawControls(*m_tool, false);
        ImGui::End();
        ImGui::PopStyleVar();
    }
    if (modal != nullptr) {
        float right = 0.0f;
        float bottom = 0.0f;
        for (const Control& control : modal->Controls()) {
            const i32 h = control.kind == ControlKind::Combo ? kComboHeight : control.rect.h;
            right = std::max(right, static_cast<float>(control.rect.x + control.rect.w));
            bottom = std::max(bottom, static_cast<float>(control.rect.y + h));
        }
        if (!ImGui::IsPopupOpen(title.c_str())) {
            ImGui::OpenPopup(title.c_str());
        }
        ImGui::SetNextWindowPos(ImVec2(io.DisplaySize.x * 0.5f, io.DisplaySize.y * 0.5f),
                                ImGuiCond_Always, ImVec2(0.5f, 0.5f));
        ImGui::SetNextWindowSize(ImVec2(right + 2.0f * kPopupPadding,
                                        bottom + ImGui::GetFrameHeight() + 2.0f * kPopupPadding));
        bool open = true;
        if (ImGui::BeginPopupModal(title.c_str(), &open,
                                   ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoMove |
                                       ImGuiWindowFlags_NoSavedSettings)) {
            DrawControls(*modal, true);
            for (const Command& command : modal->TakeCommands()) {
                if (command.id == kIdOk || command.id == kIdCancel) {
                    m_modal_done = true;
                    m_modal_answer = command.id;
                }
            }
            if (m_modal_done) {
                ImGui::CloseCurrentPopup();
            }
            ImGui::EndPopup();
        }
        if (!open) {
            m_modal_done = true;
            m_modal_answer = kIdCancel;
        }
    }
    ImGui::Render();
}

void ImGuiPanel::Present(u32 gameFramebuffer) {
    ImGui::SetCurrentContext(Context(m_context));
    m_last_game = gameFramebuffer;
    m_gl->Ensure(m_view_width + kWidth, m_view_height);
    Frame(nullptr, "");
    Compose(gameFramebuffer);
}

void ImGuiPanel::Compose(u32 gameFramebuffer) {
    const i32 width = m_gl->width;
    const i32 height = m_gl->height;

    GLint previousDraw = 0;
    GLint previousRead = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &previousDraw);
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &previousRead);
    const GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);
    glDisable(GL_SCISSOR_TEST);

    // Game rows run from the top; the composed picture keeps GL's order, bottom row first.
    glBindFramebuffer(GL_READ_FRAMEBUFFER, gameFramebuffer);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, m_gl->framebuffer);
    glBlitFramebuffer(0, 0, m_view_width, m_view_height, 0, m_view_height, m_view_width, 0,
                      GL_COLOR_BUFFER_BIT, GL_NEAREST);
    glBindFramebuffer(GL_FRAMEBUFFER, m_gl->framebuffer);
    glEnable(GL_SCISSOR_TEST);
    glScissor(m_view_width, 0, kWidth, height);
    glClearColor(0.83f, 0.82f, 0.78f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    ImGui_ImplOpenGL3_RenderDrawData(ImGui::GetDrawData());

    int drawableWidth = 0;
    int drawableHeight = 0;
    SDL_GL_GetDrawableSize(m_window.Sdl(), &drawableWidth, &drawableHeight);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, m_gl->framebuffer);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    const GLenum filter =
        (drawableWidth == width && drawableHeight == height) ? GL_NEAREST : GL_LINEAR;
    glBlitFramebuffer(0, 0, width, height, 0, 0, drawableWidth, drawableHeight, GL_COLOR_BUFFER_BIT,
                      filter);

    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(previousDraw));
    glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(previousRead));
    if (scissor == GL_TRUE) {
        glEnable(GL_SCISSOR_TEST);
    }
}

std::vector<u8> ImGuiPanel::ReadPicture(i32& width, i32& height) const {
    width = m_gl->width;
    height = m_gl->height;
    std::vector<u8> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
    if (m_gl->framebuffer == 0) {
        return pixels;
    }
    GLint previous = 0;
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &previous);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, m_gl->framebuffer);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(previous));
    // Row 0 at the top, as every picture of the game is read.
    const std::size_t stride = static_cast<std::size_t>(width) * 4;
    for (i32 row = 0; row < height / 2; ++row) {
        std::swap_ranges(pixels.begin() + static_cast<std::ptrdiff_t>(row * stride),
                         pixels.begin() + static_cast<std::ptrdiff_t>((row + 1) * stride),
                         pixels.begin() + static_cast<std::ptrdiff_t>((height - 1 - row) * stride));
    }
    return pixels;
}

i32 ImGuiPanel::RunModal(const std::string& title, ToolWindow& dialog) {
    m_modal_done = false;
    m_modal_answer = kIdCancel;
    dialog.TakeCommands();
    for (int frame = 0; !m_modal_done; ++frame) {
        if (m_modal_hook) {
            m_modal_hook(frame);
        }
        m_window.PumpEvents();
        if (window::g_quit || m_window.IsClosed()) {
            break;
        }
        ImGui::SetCurrentContext(Context(m_context));
        m_gl->Ensure(m_view_width + kWidth, m_view_height);
        Frame(&dialog, title);
        Compose(m_last_game);
        m_window.SwapBuffers();
    }
    m_modal_abandoned = !m_modal_done;
    return m_modal_done ? m_modal_answer : kIdCancel;
}

} // namespace gui
