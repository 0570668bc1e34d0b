#include "platform/input/input_script.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <sstream>

#include "platform/input/sdl_input.h"
#include "platform/window/window.h"

namespace input {
namespace {

// Applies the script's due events to the window's device just before the game reads it.
class ScriptedDevice final : public Device {
  public:
    ScriptedDevice(std::shared_ptr<EventDevice> device, const std::string& path)
        : m_device(std::move(device)), m_script(path), m_start(Clock::now()) {}

    bool AcquireKeyboard() override { return m_device->AcquireKeyboard(); }
    bool AcquireMouse() override { return m_device->AcquireMouse(); }
    bool ReadKeyboard(KeyArray& keys) override {
        Apply();
        return m_device->ReadKeyboard(keys);
    }
    bool ReadMouse(MouseState& state) override { return m_device->ReadMouse(state); }
    void ReadTypedKeys(std::vector<TypedKey>& keys) override {
        Apply();
        m_device->ReadTypedKeys(keys);
    }
    char KeyToAscii(u8 code) const override { return m_device->KeyToAscii(code); }

  private:
    using Clock = std::chrono::steady_clock;

    void Apply() {
        const double now = std::chrono::duration<double>(Clock::now() - m_start).count();
        for (const InputScript::Event& event : m_script.TakeDue(now)) {
            if (event.action == InputScript::Action::Cursor) {
                window::SetClientCursorOverride(window::Point{event.x, event.y});
                continue;
            }
            if (event.action == InputScript::Action::Move) {
                m_device->MouseMotion(event.x, event.y);
                continue;
            }
            if (event.mouseButton) {
                if (event.action != InputScript::Action::Up) {
                    m_device->MouseButton(event.code, true);
                }
                if (event.action != InputScript::Action::Down) {
                    m_device->MouseButton(event.code, false);
                }
                continue;
            }
            if (event.action != InputScript::Action::Up) {
                m_device->KeyDown(event.code);
            }
            if (event.action != InputScript::Action::Down) {
                m_device->KeyUp(event.code);
            }
        }
    }

    std::shared_ptr<EventDevice> m_device;
    InputScript m_script;
    Clock::time_point m_start;
};

} // namespace

InputScript::InputScript(std::string path) : m_path(std::move(path)) {}

InputScript::~InputScript() {
    if (m_file != nullptr) {
        std::fclose(m_file);
    }
}

bool InputScript::ParseLine(const std::string& line, Event& event, std::string& error) {
    error.clear();
    std::istringstream in(line);
    std::string first;
    if (!(in >> first) || first[0] == '#') {
        return false;
    }
    char* end = nullptr;
    const double delay = std::strtod(first.c_str(), &end);
    if (end == first.c_str() || *end != '\0' || !(delay >= 0.0)) {
        error = "'" + first + "' is no delay in seconds";
        return false;
    }
    std::string action;
    in >> action;
    if (action == "down") {
        event.action = Action::Down;
    } else if (action == "up") {
        event.action = Action::Up;
    } else if (action == "tap") {
        event.action = Action::Tap;
    } else if (action == "cursor" || action == "move") {
        i32 x = 0;
        i32 y = 0;
        if (!(in >> x >> y)) {
            error = "'" + action + "' needs two whole numbers";
            return false;
        }
        event.action = action == "cursor" ? Action::Cursor : Action::Move;
        event.delay = delay;
        event.x = x;
        event.y = y;
        return true;
    } else {
        error = "'" + action + "' is not down, up, tap, cursor or move";
        return false;
    }
    std::string name;
    std::getline(in >> std::ws, name);
    while (!name.empty() && (name.back() == ' ' || name.back() == '\r' || name.back() == '\t')) {
        name.pop_back();
    }
    static constexpr std::pair<const char*, u32> kButtons[] = {
        {"Mouse Left", 0}, {"Mouse Right", 1}, {"Mouse Middle", 2}};
    for (const auto& [buttonName, button] : kButtons) {
        if (name == buttonName) {
            event.delay = delay;
            event.code = static_cast<u8>(button);
            event.mouseButton = true;
            return true;
        }
    }
    const u8 code = KeyCodeFromScancode(SDL_GetScancodeFromName(name.c_str()));
    if (code == 0) {
        error = "'" + name + "' is no key the game reads";
        return false;
    }
    event.delay = delay;
    event.code = code;
    return true;
}

void InputScript::ReadAppended(double now) {
    if (m_file == nullptr) {
        m_file = std::fopen(m_path.c_str(), "r");
        if (m_file == nullptr) {
            return;
        }
    }
    char buffer[512];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof(buffer), m_file)) > 0) {
        m_partial.append(buffer, got);
    }
    // At the end for now; the next reading takes what the writer adds meanwhile.
    std::clearerr(m_file);

    std::size_t start = 0;
    for (std::size_t end = m_partial.find('\n'); end != std::string::npos;
         start = end + 1, end = m_partial.find('\n', start)) {
        ++m_line;
        Event event;
        std::string error;
        if (ParseLine(m_partial.substr(start, end - start), event, error)) {
            m_pending.push_back({event, now});
        } else if (!error.empty()) {
            std::cerr << "input script " << m_path << ":" << m_line << ": " << error
                      << "; line skipped" << std::endl;
        }
    }
    m_partial.erase(0, start);
}

std::vector<InputScript::Event> InputScript::TakeDue(double now) {
    ReadAppended(now);
    std::vector<Event> due;
    while (!m_pending.empty()) {
        const Pending& next = m_pending.front();
        const double at = std::max(m_last_event, next.readAt) + next.event.delay;
        if (now < at) {
            break;
        }
        due.push_back(next.event);
        m_last_event = now;
        m_pending.pop_front();
    }
    return due;
}

std::shared_ptr<Device> WithInputScript(std::shared_ptr<EventDevice> device) {
    const char* path = std::getenv(InputScript::kVariable);
    if (path == nullptr || *path == '\0') {
        return device;
    }
    return std::make_shared<ScriptedDevice>(std::move(device), path);
}

} // namespace input
