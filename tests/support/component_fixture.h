#pragma once
// Helpers for tests of processes: component streams as object definitions hold them, and a
// handler that keeps a copy of every message it receives.
#include <memory>
#include <string>
#include <vector>

#include "core/message.h"
#include "core/message_handler.h"
#include "core/stream_map.h"

namespace component_fixture {

// The stream of one component of an object definition: the object type name and the
// component type name, then one parameter.
StreamMap ComponentStream(const std::string& objectType, const std::string& componentType);

class MessageRecorder : public MessageHandler {
  public:
    struct Received {
        std::unique_ptr<BaseMessage> message;
        u32 fromId;
    };

    void HandleMessage(BaseMessage* msg, u32 fromId) override {
        received.push_back({std::unique_ptr<BaseMessage>(msg->Clone()), fromId});
    }
    std::vector<u32> Types() const {
        std::vector<u32> types;
        for (const Received& r : received) {
            types.push_back(r.message->type);
        }
        return types;
    }

    std::vector<Received> received;
};

} // namespace component_fixture
