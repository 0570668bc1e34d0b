#pragma once
// The end of a start that cannot draw: the start-up error text in a message box and the log,
// then the process ends with exit code 0 through the exit hook.
#include <functional>
#include <string>

using ExitHook = std::function<void(int)>;

// Installs the hook that ends the process and returns the previous one; an empty hook puts
// back the default, std::exit. Tests install one that records the code.
ExitHook SetGraphicsExitHook(ExitHook hook);

void ShowGraphicsStartError();
// The same with a text of its own in the box and the log (an effect's compile error).
void ShowGraphicsStartError(const std::string& text);
