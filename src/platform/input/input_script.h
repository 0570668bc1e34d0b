#pragma once
// A testing aid: key presses read from a text file while the game runs, on top of the real
// keyboard. The environment variable GORVANE_INPUT_SCRIPT names the file. Each line is
//
//     <delay> <down|up|tap> <key>
//
// where delay is in seconds after the previous line's event (or after the line was read,
// if later) and key is an SDL key name ("Return", "Escape", "F1", "Q", "Left Shift").
// Blank lines and lines starting with '#' are skipped. The file is followed as it grows, so
// a test can drive the game step by step by appending lines when it sees the game reach a
// point. A line that cannot be read is reported on stderr and skipped.
//
// The mouse: "Mouse Left", "Mouse Right" and "Mouse Middle" are keys for down, up and tap;
// "<delay> cursor <x> <y>" puts the pointer at a client pixel of the window and
// "<delay> move <dx> <dy>" is one reading's motion.
#include <cstdio>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "platform/input/event_device.h"
#include "platform/system/types.h"

namespace input {

class InputScript {
  public:
    static constexpr const char* kVariable = "GORVANE_INPUT_SCRIPT";

    enum class Action { Down, Up, Tap, Cursor, Move };

    struct Event {
        double delay = 0.0;
        Action action = Action::Tap;
        u8 code = 0;
        // A mouse button instead of a key (code is the button), and the point or motion of
        // Cursor and Move.
        bool mouseButton = false;
        i32 x = 0;
        i32 y = 0;
    };

    // The file may not exist yet; it is looked for again at every reading.
    explicit InputScript(std::string path);
    ~InputScript();
    InputScript(const InputScript&) = delete;
    InputScript& operator=(const InputScript&) = delete;

    // One line as an event; false for a line that holds none (blank, comment or faulty, with
    // the fault in error).
    static bool ParseLine(const std::string& line, Event& event, std::string& error);

    // The events due at `now` (seconds on any steady clock), oldest first, after reading
    // what was appended to the file since the last call.
    std::vector<Event> TakeDue(double now);

    const std::string& Path() const { return m_path; }

  private:
    struct Pending {
        Event event;
        double readAt;
    };

    void ReadAppended(double now);

    std::string m_path;
    std::FILE* m_file = nullptr;
    std::string m_partial;
    u32 m_line = 0;
    std::deque<Pending> m_pending;
    double m_last_event = 0.0;
};

// The device with the script of GORVANE_INPUT_SCRIPT applied to it before every reading;
// the device itself when the variable is not set.
std::shared_ptr<Device> WithInputScript(std::shared_ptr<EventDevice> device);

} // namespace input
