#include "platform/window/window.h"

#include <SDL.h>

#include <csignal>

#include "platform/system/message_box.h"
#include "platform/window/video.h"

namespace window {

std::atomic<bool> g_quit{false};
std::atomic<bool> g_window_active{false};

namespace {

Window* g_current = nullptr;
int g_live_windows = 0;

volatile std::sig_atomic_t g_close_signal = 0;
struct sigaction g_old_int;
struct sigaction g_old_term;

extern "C" void OnCloseSignal(int) {
    g_close_signal = 1;
}

void InstallSignalHandlers() {
    struct sigaction action {};
    action.sa_handler = OnCloseSignal;
    sigemptyset(&action.sa_mask);
    // A second signal takes the default action, so a game that hangs on its way out can
    // still be stopped.
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    sigaction(SIGINT, &action, &g_old_int);
    sigaction(SIGTERM, &action, &g_old_term);
}

void RestoreSignalHandlers() {
    sigaction(SIGINT, &g_old_int, nullptr);
    sigaction(SIGTERM, &g_old_term, nullptr);
}

void FailBox(const char* text) {
    sys::ShowMessageBox("Error!", text, sys::MessageBoxIcon::Warning);
}

// The window an event belongs to; 0 for events of no window.
u32 EventWindowId(const SDL_Event& e) {
    switch (e.type) {
    case SDL_WINDOWEVENT:
        return e.window.windowID;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        return e.key.windowID;
    case SDL_TEXTEDITING:
        return e.edit.windowID;
    case SDL_TEXTINPUT:
        return e.text.windowID;
    case SDL_MOUSEMOTION:
        return e.motion.windowID;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        return e.button.windowID;
    case SDL_MOUSEWHEEL:
        return e.wheel.windowID;
    default:
        return 0;
    }
}

} // namespace

std::unique_ptr<Window> Window::Create(const WindowDesc& desc) {
    if (!detail::InitVideo(desc.className.c_str())) {
        FailBox("Window Registration Failed!");
        return nullptr;
    }
    std::unique_ptr<Window> w(new Window);
    w->m_video = true;
    w->m_width = desc.width;
    w->m_height = desc.height;

    SDL_Rect bounds{};
    if (SDL_GetDisplayBounds(0, &bounds) == 0) {
        w->m_origin = {bounds.x, bounds.y};
    }
    const Point at = CentredPosition(GetScreenMetrics(), desc.width, desc.height);

    Uint32 flags = SDL_WINDOW_BORDERLESS | SDL_WINDOW_HIDDEN;
    if (desc.openGL) {
        flags |= SDL_WINDOW_OPENGL;
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, desc.glMajor);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, desc.glMinor);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
        SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    }
    w->m_window = SDL_CreateWindow(desc.title.c_str(), w->m_origin.x + at.x, w->m_origin.y + at.y,
                                   desc.width, desc.height, flags);
    if (w->m_window != nullptr && desc.openGL) {
        w->m_context = SDL_GL_CreateContext(w->m_window);
    }
    if (w->m_window == nullptr || (desc.openGL && w->m_context == nullptr)) {
        SDL_Log("window: %s", SDL_GetError());
        FailBox("Window Creation Failed!");
        return nullptr;
    }
    w->m_id = SDL_GetWindowID(w->m_window);

    SDL_ShowWindow(w->m_window);
    SDL_RaiseWindow(w->m_window);
    // The new window takes the focus at once, as the game expects of the first frame; the
    // window system's focus events correct this if it refuses.
    g_window_active = true;

    if (g_live_windows++ == 0) {
        g_close_signal = 0;
        InstallSignalHandlers();
    }
    w->m_counted = true;
    g_current = w.get();
    return w;
}

Window* Window::Current() {
    return g_current;
}

Window::~Window() {
    if (g_current == this) {
        g_current = nullptr;
    }
    if (m_counted && --g_live_windows == 0) {
        RestoreSignalHandlers();
    }
    if (m_context != nullptr) {
        SDL_GL_DeleteContext(m_context);
    }
    if (m_window != nullptr) {
        SDL_DestroyWindow(m_window);
    }
    if (m_video) {
        detail::QuitVideo();
    }
}

void Window::AddEventListener(EventListener listener) {
    m_listeners.push_back(std::move(listener));
}

u32 Event::Type() const {
    return m_native->type;
}

void Window::PumpEvents() {
    if (g_close_signal != 0) {
        g_close_signal = 0;
        Close();
    }
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0) {
        if (m_feed) {
            m_feed(Event(event));
        }
        if (!g_window_active && m_hook && m_hook(Event(event))) {
            continue;
        }
        Dispatch(event);
    }
}

void Window::Dispatch(SDL_Event& event) {
    if (event.type == SDL_QUIT) {
        g_quit = true;
        return;
    }
    const u32 owner = EventWindowId(event);
    if (owner != 0 && owner != m_id) {
        return;
    }
    if (event.type == SDL_WINDOWEVENT) {
        switch (event.window.event) {
        case SDL_WINDOWEVENT_CLOSE:
            Close();
            break;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            g_window_active = true;
            break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
            g_window_active = false;
            break;
        default:
            break;
        }
    }
    if (event.type == SDL_MOUSEMOTION) {
        m_cursor = Point{event.motion.x, event.motion.y};
    } else if (event.type == SDL_MOUSEBUTTONDOWN || event.type == SDL_MOUSEBUTTONUP) {
        m_cursor = Point{event.button.x, event.button.y};
    }
    if (event.type == SDL_MOUSEMOTION && m_warp_pending) {
        // The pointer arriving where we put it is not a movement of the mouse. Window
        // systems report a warp once or twice (SDL's own event and the server's echo), so
        // the mark stays until the pointer is seen somewhere else.
        if (event.motion.x == m_warp_target.x && event.motion.y == m_warp_target.y) {
            event.motion.xrel = 0;
            event.motion.yrel = 0;
        } else {
            m_warp_pending = false;
        }
    }
    const Event wrapped(event);
    for (const EventListener& listener : m_listeners) {
        listener(wrapped);
    }
}

void Window::Close() {
    if (m_closed) {
        return;
    }
    m_closed = true;
    SDL_HideWindow(m_window);
    g_window_active = false;
    g_quit = true;
}

void Window::WarpMouse(Point screen) {
    if (m_closed) {
        return;
    }
    const Point corner = Position();
    m_warp_target = {screen.x - corner.x, screen.y - corner.y};
    m_warp_pending = true;
    SDL_WarpMouseInWindow(m_window, m_warp_target.x, m_warp_target.y);
}

void Window::Focus() {
    if (m_closed) {
        return;
    }
    SDL_RaiseWindow(m_window);
    // As at creation: the window system's focus events correct this if it refuses.
    g_window_active = true;
}

void Window::SetFullscreen(bool fullscreen) {
    SDL_SetWindowFullscreen(m_window, fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
}

void Window::Resize(i32 width, i32 height) {
    if (m_window == nullptr || width <= 0 || height <= 0) {
        return;
    }
    m_width = width;
    m_height = height;
    SDL_SetWindowSize(m_window, width, height);
    const Point at = CentredPosition(GetScreenMetrics(), width, height);
    SDL_SetWindowPosition(m_window, m_origin.x + at.x, m_origin.y + at.y);
}

Point Window::Position() const {
    int x = 0;
    int y = 0;
    SDL_GetWindowPosition(m_window, &x, &y);
    return {x - m_origin.x, y - m_origin.y};
}

bool Window::MakeCurrent() const {
    return m_context != nullptr && SDL_GL_MakeCurrent(m_window, m_context) == 0;
}

void Window::SwapBuffers() const {
    if (m_context != nullptr) {
        SDL_GL_SwapWindow(m_window);
    }
}

namespace {
std::optional<Point> g_cursor_override;
} // namespace

Point ClientCursor(const Window* window) {
    if (g_cursor_override) {
        return *g_cursor_override;
    }
    return window != nullptr ? window->CursorPos() : Point{};
}

void SetClientCursorOverride(std::optional<Point> point) {
    g_cursor_override = point;
}

} // namespace window
