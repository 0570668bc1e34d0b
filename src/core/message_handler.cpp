#include "core/message_handler.h"

#include "core/message_router.h"

void MessageHandler::Bind(MessageRouter* newRouter, u32 newId) {
    router = newRouter;
    id = newId;
    if (router != nullptr) {
        router->RegisterHandler(id, this);
    }
}

void MessageHandler::Register() {
    if (router != nullptr) {
        router->RegisterHandler(id, this);
    }
}

void MessageHandler::SendMessage(BaseMessage* msg, u32 toId, float delay, bool repeat) {
    if (router != nullptr) {
        router->SendMessage(msg, toId, id, delay, repeat);
    }
}
