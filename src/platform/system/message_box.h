#pragma once
// Modal message boxes. Every box goes through one process-wide sink: by default a copy
// on stderr and an SDL dialog (skipped when the video driver is headless, where nobody
// could close it); tests install a sink that records the boxes instead.
#include <functional>
#include <string>

namespace sys {

enum class MessageBoxIcon { Information, Warning, Error };

struct MessageBoxRequest {
    std::string title;
    std::string text;
    MessageBoxIcon icon = MessageBoxIcon::Information;
};

using MessageBoxSink = std::function<void(const MessageBoxRequest&)>;

// Shows the box through the current sink and returns when it is closed.
void ShowMessageBox(const std::string& title, const std::string& text,
                    MessageBoxIcon icon = MessageBoxIcon::Information);

// Installs a sink and returns the previous one; an empty sink restores the default.
MessageBoxSink SetMessageBoxSink(MessageBoxSink sink);

// Installs a sink for the lifetime of the guard and puts the previous one back.
class ScopedMessageBoxSink {
  public:
    explicit ScopedMessageBoxSink(MessageBoxSink sink)
        : m_previous(SetMessageBoxSink(std::move(sink))) {}
    ~ScopedMessageBoxSink() { SetMessageBoxSink(std::move(m_previous)); }
    ScopedMessageBoxSink(const ScopedMessageBoxSink&) = delete;
    ScopedMessageBoxSink& operator=(const ScopedMessageBoxSink&) = delete;

  private:
    MessageBoxSink m_previous;
};

} // namespace sys
