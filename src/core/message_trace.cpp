#include "core/message_trace.h"

#include <cstdlib>
#include <sstream>
#include <utility>

#include "core/message.h"
#include "platform/system/log.h"

MessageTrace::MessageTrace(std::string_view names) {
    std::size_t start = 0;
    while (start < names.size()) {
        const std::size_t end = names.find_first_of(", ", start);
        const std::string_view name =
            names.substr(start, end == std::string_view::npos ? names.npos : end - start);
        for (u32 type = 0; type < kMessageTypeCount && !name.empty(); ++type) {
            if (name == MessageTypeName(type)) {
                m_types.set(type);
            }
        }
        if (end == std::string_view::npos) {
            break;
        }
        start = end + 1;
    }
}

const MessageTrace& MessageTrace::Instance() {
    static const MessageTrace trace([] {
        const char* value = std::getenv(kVariable);
        return std::string_view(value != nullptr ? value : "");
    }());
    return trace;
}

std::string MessageTrace::Line(const BaseMessage& message, u32 toId) {
    std::ostringstream line;
    line << MessageTypeName(message.type) << " to " << toId;
    line << std::boolalpha;
    if (const auto* text = message.Payload<std::string>()) {
        line << ": " << *text;
    } else if (const auto* flag = message.Payload<bool>()) {
        line << ": " << *flag;
    } else if (const auto* single = message.Payload<float>()) {
        line << ": " << *single;
    } else if (const auto* value = message.Payload<double>()) {
        line << ": " << *value;
    } else if (const auto* pair = message.Payload<std::pair<std::string, bool>>()) {
        line << ": {" << pair->first << ", " << pair->second << "}";
    }
    return line.str();
}

void MessageTrace::Write(const BaseMessage& message, u32 toId) const {
    if (Traces(message.type)) {
        sys::LogLine(Line(message, toId));
    }
}
