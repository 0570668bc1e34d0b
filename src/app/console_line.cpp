#include "app/console_line.h"

ConsoleLine::ConsoleLine()
    : m_commands{{"core on", 1}, {"gfx on", 2}, {"physics on", 3}, {"ai on", 4}} {}

bool ConsoleLine::Type(char c) {
    constexpr char kBackspace = 8;
    constexpr char kEnter = 13;
    constexpr char kGrave = 96;
    if (c == kBackspace) {
        if (!m_line.empty()) {
            m_line.pop_back();
        }
        return false;
    }
    if (c == kEnter) {
        if (m_line.empty()) {
            return false;
        }
        const auto found = m_commands.find(m_line);
        m_last_command = found != m_commands.end() ? found->second : 0;
        m_line.clear();
        return true;
    }
    if (c >= 32 && c <= 126 && c != kGrave && m_line.size() < kMaxLength) {
        m_line.push_back(c);
    }
    return false;
}
