// A loader thread sends through the router tree while the main thread updates it: both
// must see every message exactly once, and a request sent from the other thread without
// delay is still answered before its send returns.

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/message.h"
#include "core/message_handler.h"
#include "core/message_router.h"

namespace {

class Counter : public MessageHandler {
  public:
    void HandleMessage(BaseMessage* msg, u32) override {
        ++received;
        // A request carries a string the handler answers into, as a state answers the
        // object a level script asks it to create.
        if (auto* request = msg->Payload<std::string>()) {
            *request += " created";
        }
    }
    std::atomic<int> received{0};
};

TEST(MessageRouterThreads, SenderThreadAgainstTheRoutingMainThread) {
    constexpr int kSends = 2000;
    constexpr int kObjects = 64;
    MessageRouter root;
    MessageRouter state(&root);
    state.AttachToParent();
    Counter sound;      // id 2 at the root, as the sound process
    Counter levelState; // id 6 at the state's router
    Counter ticks;      // id 7, fed by delayed messages from both threads
    sound.Bind(&root, 2);
    levelState.Bind(&state, 6);
    ticks.Bind(&state, 7);
    // Objects the other thread attaches, as the loader creates a level's objects; they
    // outlive the run because the main thread updates them.
    std::vector<std::unique_ptr<MessageRouter>> objects;
    std::vector<std::unique_ptr<Counter>> components;
    for (int i = 0; i < kObjects; ++i) {
        objects.push_back(std::make_unique<MessageRouter>(&state));
        components.push_back(std::make_unique<Counter>());
    }

    std::atomic<bool> senderDone{false};
    int unanswered = 0;
    std::thread sender([&] {
        for (int i = 0; i < kSends; ++i) {
            Message<std::string> load(MSG_LOAD_SOUND, "a.wav");
            state.SendMessage(&load, 2, 6);
            Message<std::string> create(MSG_LEVEL_CREATE_OBJECT, "Tank");
            state.SendMessage(&create, 6, 6);
            unanswered += create.value == "Tank created" ? 0 : 1;
            BaseMessage tick(MSG_GRAB);
            root.SendMessage(&tick, 7, 6, 0.001f);
            if (i % (kSends / kObjects) == 0 && i / (kSends / kObjects) < kObjects) {
                const std::size_t at = static_cast<std::size_t>(i / (kSends / kObjects));
                components[at]->Bind(objects[at].get(), 1000 + static_cast<u32>(at));
                objects[at]->AttachToParent();
                BaseMessage hello(MSG_GRAB);
                root.SendMessage(&hello, 1000 + static_cast<u32>(at), 6);
            }
        }
        senderDone = true;
    });
    Counter churn;
    int frames = 0;
    int mainTicks = 0;
    while (!senderDone || frames < 4) {
        BaseMessage tick(MSG_GRAB);
        root.SendMessage(&tick, 7, 0, 0.001f);
        ++mainTicks;
        // Handlers come and go on the main thread too while the other thread delivers.
        churn.Bind(&state, 8);
        root.Update(0.002f);
        state.RemoveHandler(&churn);
        frames = senderDone ? frames + 1 : 0;
    }
    sender.join();
    root.Update(0.002f);

    EXPECT_EQ(sound.received, kSends);
    EXPECT_EQ(levelState.received, kSends);
    EXPECT_EQ(unanswered, 0);
    EXPECT_EQ(root.QueueSize(), 0u);
    EXPECT_EQ(ticks.received, kSends + mainTicks);
    int hellos = 0;
    for (const auto& c : components) {
        hellos += c->received;
    }
    EXPECT_EQ(hellos, kObjects);
    EXPECT_EQ(state.Children().size(), static_cast<std::size_t>(kObjects));
}

} // namespace
