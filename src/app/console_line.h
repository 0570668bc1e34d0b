#pragma once
// The console's one line of typed text and the commands a submitted line can name.
#include <map>
#include <string>

#include "core/types.h"

class ConsoleLine {
  public:
    static constexpr std::size_t kMaxLength = 33;

    ConsoleLine();

    // One typed character: backspace removes the last one, Enter submits a non-empty line
    // (returns true and empties it), printable characters other than the grave accent are
    // appended while the line is shorter than kMaxLength; anything else is ignored.
    bool Type(char c);
    void Clear() { m_line.clear(); }

    const std::string& Text() const { return m_line; }
    // The number of the command the last submitted line named; 0 for none.
    u32 LastCommand() const { return m_last_command; }
    const std::map<std::string, u32>& Commands() const { return m_commands; }

  private:
    std::string m_line;
    std::map<std::string, u32> m_commands;
    u32 m_last_command = 0;
};
