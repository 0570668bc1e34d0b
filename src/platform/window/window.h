#pragma once
// The game's one window: borderless, centred on the primary screen, with an OpenGL 3.3 core
// context, and the event pump that keeps the process-wide quit and focus flags. SIGINT and
// SIGTERM close the window as its close button does, so the game ends through its normal
// path.
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/system/types.h"
#include "platform/window/screen.h"

struct SDL_Window;
union SDL_Event;

namespace window {

// Set when the window closes or the event queue holds a quit request; the game sets it too.
extern std::atomic<bool> g_quit;
// True while the window has the input focus.
extern std::atomic<bool> g_window_active;

struct WindowDesc {
    std::string title = "Gorvane";
    std::string className = "Tovask"; // the class hint window managers group windows by
    i32 width = 1024;
    i32 height = 640;
    bool openGL = true;
    int glMajor = 3;
    int glMinor = 3;
};

// One event of the window system, as the pump hands it on. Above the platform layers it is
// opaque: code there asks for its kind only. The input and gui layers read the native event.
class Event {
  public:
    explicit Event(const SDL_Event& native) : m_native(&native) {}
    // The window system's number for the kind of event.
    u32 Type() const;
    const SDL_Event& Native() const { return *m_native; }

  private:
    const SDL_Event* m_native;
};

// Sees an event before the game does; true when it took the event for itself.
using EventHook = std::function<bool(const Event&)>;
using EventListener = std::function<void(const Event&)>;

class Window {
  public:
    // Shows "Window Registration Failed!" or "Window Creation Failed!" in a message box and
    // returns null when the window cannot be made. On success the window has the focus.
    static std::unique_ptr<Window> Create(const WindowDesc& desc);
    // The window made last and still alive, or null.
    static Window* Current();

    ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    // Takes every waiting event. While the window is inactive each event is first offered
    // to the hook (the level editor's tool windows) and goes no further when it is taken.
    // Events of this window, and those of no window, then update the flags and reach the
    // listeners in the order they were added.
    void PumpEvents();
    void SetEventHook(EventHook hook) { m_hook = std::move(hook); }
    // Sees every event first, before the hook, and takes none (the editor's panel reads the
    // keys and the pointer this way); empty to stop.
    void SetEventFeed(EventListener feed) { m_feed = std::move(feed); }
    void AddEventListener(EventListener listener);

    // What the close button does: the window goes away and the quit flag is set. The
    // window and its context stay valid until this object is destroyed.
    void Close();
    bool IsClosed() const { return m_closed; }

    // Moves the pointer to a point in screen coordinates and hides the motion it causes.
    void WarpMouse(Point screen);
    // Raises the window and gives it the keyboard focus.
    void Focus();
    void SetFullscreen(bool fullscreen);
    // New client size, the window centred on the primary screen again.
    void Resize(i32 width, i32 height);

    // The top-left corner in screen coordinates.
    Point Position() const;
    // The pointer in client pixels, as the last motion or button event of this window left
    // it. Events pushed into the queue do not move the system's pointer, so the position is
    // taken from the events themselves.
    Point CursorPos() const { return m_cursor; }
    i32 Width() const { return m_width; }
    i32 Height() const { return m_height; }
    u32 Id() const { return m_id; }
    SDL_Window* Sdl() const { return m_window; }
    void* GLContext() const { return m_context; }
    bool MakeCurrent() const;
    void SwapBuffers() const;

  private:
    Window() = default;
    void Dispatch(SDL_Event& event);

    SDL_Window* m_window = nullptr;
    void* m_context = nullptr;
    u32 m_id = 0;
    i32 m_width = 0;
    i32 m_height = 0;
    Point m_origin; // the primary screen's top-left corner in the window system's coordinates
    bool m_closed = false;
    bool m_video = false;
    bool m_counted = false; // among the live windows that keep the signal handlers
    bool m_warp_pending = false;
    Point m_warp_target; // in window coordinates
    Point m_cursor;      // in window coordinates
    EventHook m_hook;
    EventListener m_feed;
    std::vector<EventListener> m_listeners;
};

// The pointer in the client pixels of the window: its CursorPos, or the point fixed by
// SetClientCursorOverride (tests, scripted runs), which is answered without reading the window.
Point ClientCursor(const Window* window);
void SetClientCursorOverride(std::optional<Point> point);

} // namespace window
