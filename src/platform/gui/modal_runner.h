#pragma once
// Runs a dialog made of controls until one of its buttons ends it, keeping the caller's
// synchronous call: the editor asks and has its answer when the call returns.
#include <string>

#include "platform/gui/tool_window.h"

namespace gui {

class ModalRunner {
  public:
    virtual ~ModalRunner() = default;
    // Answers the id of the button that ended the dialog (kIdOk or kIdCancel); closing the
    // dialog is kIdCancel. The dialog's controls hold what the user entered.
    virtual i32 RunModal(const std::string& title, ToolWindow& dialog) = 0;
};

} // namespace gui
