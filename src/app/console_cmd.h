#pragma once
// The console line as the renderer shows it: the payload of MSG_CONSOLE.
#include <string>

#include "core/types.h"

struct ConsoleCmd {
    u8 m_console_open = 0;
    // 1 only in the frame the line was submitted; the line is then already empty.
    u8 m_line_submitted = 0;
    std::string m_line;
};
