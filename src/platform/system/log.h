#pragma once
// The one channel every log line of the game goes through. A line is written whole, under a
// lock, to standard output (std::cout, so a test that redirects it sees every line): lines of
// the loader, audio and main threads never cut into each other.
#include <sstream>
#include <string_view>

namespace sys {

// Writes text and a newline as one line and flushes.
void LogLine(std::string_view text);

// A line built with stream operators, written when the builder goes out of scope:
//   sys::Log() << "Game::PushState: " << name;
class Log {
  public:
    Log() = default;
    ~Log() { LogLine(m_line.str()); }
    Log(const Log&) = delete;
    Log& operator=(const Log&) = delete;

    template <class T> Log& operator<<(const T& value) {
        m_line << value;
        return *this;
    }

  private:
    std::ostringstream m_line;
};

} // namespace sys
