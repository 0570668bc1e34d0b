#pragma once
// A testing aid: when GORVANE_TRACE_MESSAGES names message types (separated by commas or
// spaces), the router writes a log line for every delivered message of those types, with
// its receiver and payload. Off when the variable is unset or names nothing known.
#include <bitset>
#include <string>
#include <string_view>

#include "core/message_types.h"
#include "core/types.h"

class BaseMessage;

class MessageTrace {
  public:
    static constexpr const char* kVariable = "GORVANE_TRACE_MESSAGES";

    // The process-wide trace, read from the environment on first use.
    static const MessageTrace& Instance();

    // A trace of the named types; unknown names are ignored.
    explicit MessageTrace(std::string_view names);

    bool Traces(u32 type) const { return type < kMessageTypeCount && m_types.test(type); }
    bool Any() const { return m_types.any(); }
    // "MSG_NAME to 17: payload"; payloads of other kinds than the plain ones are left out.
    static std::string Line(const BaseMessage& message, u32 toId);
    // Writes the line when the type is traced.
    void Write(const BaseMessage& message, u32 toId) const;

  private:
    std::bitset<kMessageTypeCount> m_types;
};
