#pragma once
// Anything that can receive messages: bound to a MessageRouter under a numeric handler id.
// An unbound handler (no router, id -1) receives nothing and its sends do nothing.

#include "core/types.h"

class BaseMessage;
class MessageRouter;

class MessageHandler {
  public:
    static constexpr u32 kUnbound = 0xFFFFFFFFu;

    virtual ~MessageHandler() = default;
    virtual void HandleMessage(BaseMessage* msg, u32 fromId) = 0;

    // Stores both and, with a router, registers this handler there under id.
    void Bind(MessageRouter* router, u32 id);
    // Registers this handler at its own router under its own id.
    void Register();
    // Sends through the own router with the own id as the sender; nothing while unbound.
    void SendMessage(BaseMessage* msg, u32 toId, float delay = 0.0f, bool repeat = false);

    MessageRouter* router = nullptr;
    u32 id = kUnbound;
};
