#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/message.h"
#include "core/message_handler.h"
#include "core/message_router.h"

namespace {

struct Delivery {
    std::string handler;
    u32 type;
    u32 fromId;
};

// Records what it receives into a shared log and runs an optional action on each message.
class Recorder : public MessageHandler {
  public:
    Recorder(std::string name, std::vector<Delivery>* log) : name(std::move(name)), log(log) {}
    void HandleMessage(BaseMessage* msg, u32 fromId) override {
        log->push_back({name, msg->type, fromId});
        if (onMessage) {
            onMessage(msg);
        }
    }
    std::string name;
    std::vector<Delivery>* log;
    std::function<void(BaseMessage*)> onMessage;
};

std::vector<std::string> Names(const std::vector<Delivery>& log) {
    std::vector<std::string> names;
    for (const Delivery& d : log) {
        names.push_back(d.handler);
    }
    return names;
}

TEST(MessageRouter, DeliversToEveryHandlerOfAnIdInRegistrationOrder) {
    std::vector<Delivery> log;
    MessageRouter router;
    Recorder a("a", &log), b("b", &log), c("c", &log), other("other", &log);
    a.Bind(&router, 1000);
    b.Bind(&router, 1000);
    c.Bind(&router, 1000);
    other.Bind(&router, 1001);
    BaseMessage msg(MSG_GRAB);
    router.SendMessage(&msg, 1000, 42);
    EXPECT_EQ(Names(log), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(log[0].fromId, 42u);
    EXPECT_EQ(log[0].type, static_cast<u32>(MSG_GRAB));
}

TEST(MessageRouter, UnboundHandlerSendsNothingAndIsNotReached) {
    std::vector<Delivery> log;
    MessageRouter router;
    Recorder target("target", &log);
    target.Bind(&router, 5);
    Recorder unbound("unbound", &log);
    EXPECT_EQ(unbound.router, nullptr);
    EXPECT_EQ(unbound.id, MessageHandler::kUnbound);
    BaseMessage msg(MSG_GAME_QUIT);
    unbound.SendMessage(&msg, 5);
    unbound.SendMessage(&msg, 5, 1.0f, true);
    router.Update(2.0f);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(router.QueueSize(), 0u);
}

TEST(MessageRouter, BindWithoutRouterOnlyStoresTheId) {
    Recorder handler("h", nullptr);
    handler.Bind(nullptr, 9);
    EXPECT_EQ(handler.id, 9u);
    EXPECT_EQ(handler.router, nullptr);
    handler.Register();
}

TEST(MessageRouter, RangeGrowsWithRegistrationsAndNeverShrinks) {
    MessageRouter router;
    EXPECT_FALSE(router.HasRegistrations());
    EXPECT_GT(router.LowId(), router.HighId());
    Recorder a("a", nullptr), b("b", nullptr);
    router.RegisterHandler(12, &a);
    EXPECT_EQ(router.LowId(), 12u);
    EXPECT_EQ(router.HighId(), 12u);
    router.RegisterHandler(7, &b);
    EXPECT_EQ(router.LowId(), 7u);
    router.RemoveHandler(&b);
    router.RemoveHandler(&a);
    EXPECT_EQ(router.LowId(), 7u);
    EXPECT_EQ(router.HighId(), 12u);
    EXPECT_EQ(MessageRouter::CompareRange(6, 7, 12), MessageRouter::kBelow);
    EXPECT_EQ(MessageRouter::CompareRange(7, 7, 12), MessageRouter::kInside);
    EXPECT_EQ(MessageRouter::CompareRange(12, 7, 12), MessageRouter::kInside);
    EXPECT_EQ(MessageRouter::CompareRange(13, 7, 12), MessageRouter::kAbove);
}

TEST(MessageRouter, RemoveHandlerErasesOneRegistrationUnderAnyId) {
    std::vector<Delivery> log;
    MessageRouter router;
    Recorder a("a", &log);
    router.RegisterHandler(3, &a);
    router.RegisterHandler(4, &a);
    a.id = 4;
    router.RemoveHandler(&a);
    EXPECT_EQ(router.HandlerCount(3) + router.HandlerCount(4), 1u);
    router.RemoveHandler(&a);
    EXPECT_EQ(router.HandlerCount(3) + router.HandlerCount(4), 0u);
}

// The game's ids 0..5 at the root, the level's at the state's router and objects below.
class RouterTree : public ::testing::Test {
  protected:
    RouterTree()
        : root(nullptr), state(&root), objectA(&state), objectB(&state), deep(&objectB),
          game("game", &log), graphics("graphics", &log), level("level", &log),
          componentA("componentA", &log), componentB("componentB", &log),
          deepComponent("deep", &log) {
        state.AttachToParent();
        objectA.AttachToParent();
        objectB.AttachToParent();
        deep.AttachToParent();
        game.Bind(&root, 0);
        graphics.Bind(&root, 1);
        Recorder* const parser = new Recorder("parser", &log);
        owned.emplace_back(parser);
        parser->Bind(&root, 5);
        level.Bind(&state, 6);
        componentA.Bind(&objectA, 1000);
        componentB.Bind(&objectB, 1001);
        deepComponent.Bind(&deep, 2000);
    }

    std::vector<Delivery> log;
    MessageRouter root, state, objectA, objectB, deep;
    Recorder game, graphics, level, componentA, componentB, deepComponent;
    std::vector<std::unique_ptr<Recorder>> owned;
};

TEST_F(RouterTree, RoutesUpAndDownByIdRanges) {
    BaseMessage msg(MSG_GRAB);
    struct Case {
        MessageRouter* from;
        u32 toId;
        const char* reaches;
    };
    const Case cases[] = {
        {&objectA, 1, "graphics"},   // up two levels
        {&objectA, 6, "level"},      // up one level
        {&root, 1000, "componentA"}, // down two levels
        {&root, 2000, "deep"},       // down three levels
        {&objectB, 6, "level"},      // a parent that has children of its own
        {&state, 0, "game"},
    };
    for (const Case& c : cases) {
        log.clear();
        c.from->SendMessage(&msg, c.toId, 77);
        ASSERT_EQ(log.size(), 1u) << c.toId;
        EXPECT_EQ(log[0].handler, c.reaches) << c.toId;
        EXPECT_EQ(log[0].fromId, 77u);
    }
}

TEST_F(RouterTree, SiblingRoutingWorksThroughAParentWithNoRegistrations) {
    MessageRouter emptyState(&root);
    emptyState.AttachToParent();
    MessageRouter first(&emptyState), second(&emptyState);
    first.AttachToParent();
    second.AttachToParent();
    Recorder a("a", &log), b("b", &log);
    a.Bind(&first, 3000);
    b.Bind(&second, 3001);
    BaseMessage msg(MSG_GRAB);
    a.SendMessage(&msg, 3001);
    b.SendMessage(&msg, 3000);
    b.SendMessage(&msg, 1);
    EXPECT_EQ(Names(log), (std::vector<std::string>{"b", "a", "graphics"}));
    EXPECT_EQ(log[0].fromId, 3000u);
    root.RemoveChild(&emptyState);
}

TEST_F(RouterTree, UndeliverableMessagesAreDropped) {
    BaseMessage msg(MSG_GRAB);
    // An id inside a router's own range that nobody holds any more.
    graphics.router->RemoveHandler(&graphics);
    objectA.SendMessage(&msg, 1, 0);
    root.SendMessage(&msg, 1, 0);
    // A sibling's id above the parent's range: a message only goes up for ids at most
    // the parent's highest, and down only from where it is.
    objectA.SendMessage(&msg, 1001, 0);
    // Ids nobody ever registered: above every range, in a gap, and the unbound id.
    for (u32 id : {5000u, 1500u, 999u, MessageHandler::kUnbound}) {
        objectA.SendMessage(&msg, id, 0);
        root.SendMessage(&msg, id, 0);
        deep.SendMessage(&msg, id, 0);
    }
    EXPECT_TRUE(log.empty());
}

TEST_F(RouterTree, RangesThatDoNotGrowDownwardsCannotBounceAMessageForever) {
    // Only id 5 at the root while 2 is held nowhere: the child with no registrations of
    // its own but children invites the message down, the root's range invites it up.
    MessageRouter lonelyRoot;
    MessageRouter middle(&lonelyRoot), leaf(&middle);
    middle.AttachToParent();
    leaf.AttachToParent();
    Recorder five("five", &log), leafHandler("leaf", &log);
    five.Bind(&lonelyRoot, 5);
    leafHandler.Bind(&leaf, 9);
    BaseMessage msg(MSG_GRAB);
    lonelyRoot.SendMessage(&msg, 2, 0);
    leaf.SendMessage(&msg, 2, 0);
    EXPECT_TRUE(log.empty());
}

// One router with one handler under id 1, for the queue tests.
class MessageRouterQueue : public ::testing::Test {
  protected:
    MessageRouterQueue() { target.Bind(&router, 1); }

    std::vector<Delivery> log;
    MessageRouter router;
    Recorder target{"target", &log};
};

TEST_F(MessageRouterQueue, DelayedMessageIsDueWhenItsTimeReachesZero) {
    Message<std::string> msg(MSG_LOAD_SOUND, "a.wav");
    std::string seen;
    target.onMessage = [&seen](BaseMessage* m) { seen = *m->Payload<std::string>(); };
    router.SendMessage(&msg, 1, 4, 0.5f, false);
    msg.value = "changed after the send";
    EXPECT_TRUE(log.empty());
    router.Update(0.25f);
    EXPECT_TRUE(log.empty());
    router.Update(0.25f);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].fromId, 4u);
    EXPECT_EQ(seen, "a.wav");
    EXPECT_EQ(router.QueueSize(), 0u);
    router.Update(1.0f);
    EXPECT_EQ(log.size(), 1u);
}

TEST_F(MessageRouterQueue, RepeatingMessageReArmsByItsPeriod) {
    BaseMessage msg(MSG_PHYSICS_UPDATE);
    router.SendMessage(&msg, 1, 0, 1.0f, true);
    std::vector<int> deliveredIn;
    for (int update = 1; update <= 7; ++update) {
        const std::size_t before = log.size();
        router.Update(0.75f);
        if (log.size() > before) {
            deliveredIn.push_back(update);
        }
    }
    EXPECT_EQ(deliveredIn, (std::vector<int>{2, 3, 4, 6, 7}));
    EXPECT_EQ(router.QueueSize(), 1u);
}

TEST_F(MessageRouterQueue, ClearQueueDiscardsWithoutDelivering) {
    Message<std::string> msg(MSG_LOAD_SOUND, "a.wav");
    router.SendMessage(&msg, 1, 0, 0.1f, false);
    router.SendMessage(&msg, 1, 0, 0.2f, true);
    router.ClearQueue();
    EXPECT_EQ(router.QueueSize(), 0u);
    router.Update(1.0f);
    EXPECT_TRUE(log.empty());
}

TEST_F(MessageRouterQueue, HandlersMayClearOrRefillTheQueueDuringUpdate) {
    Message<std::string> first(MSG_LOAD_SOUND, "first");
    Message<std::string> later(MSG_LOAD_SOUND, "later");
    std::string lastSeen;
    bool cleared = false;
    target.onMessage = [&](BaseMessage* m) {
        if (!cleared) {
            cleared = true;
            router.ClearQueue();
            // Still readable: the clone being delivered outlives the clear.
            lastSeen = *m->Payload<std::string>();
            // Queued after the clear, visited by the same walk and due at once.
            router.SendMessage(&later, 1, 0, 0.1f, false);
        } else {
            lastSeen = *m->Payload<std::string>();
        }
    };
    router.SendMessage(&first, 1, 0, 0.5f, true);
    router.SendMessage(&first, 1, 0, 0.5f, false);
    router.Update(0.5f);
    EXPECT_EQ(log.size(), 2u);
    EXPECT_EQ(lastSeen, "later");
    EXPECT_EQ(router.QueueSize(), 0u);
    router.Update(5.0f);
    EXPECT_EQ(log.size(), 2u);
}

TEST(MessageRouterDelivery, HandlersMayRemoveAndRegisterDuringADelivery) {
    std::vector<Delivery> log;
    MessageRouter router;
    Recorder a("a", &log), c("c", &log), late("late", &log);
    auto b = std::make_unique<Recorder>("b", &log);
    a.Bind(&router, 1000);
    b->Bind(&router, 1000);
    c.Bind(&router, 1000);
    a.onMessage = [&](BaseMessage*) {
        if (b) {
            // Removed and freed before its turn: it must not be called.
            router.RemoveHandler(b.get());
            b.reset();
            late.Bind(&router, 1000);
        }
    };
    BaseMessage msg(MSG_GRAB);
    router.SendMessage(&msg, 1000, 0);
    EXPECT_EQ(Names(log), (std::vector<std::string>{"a", "c"}));
    EXPECT_EQ(router.HandlerCount(1000), 3u);
    log.clear();
    router.SendMessage(&msg, 1000, 0);
    EXPECT_EQ(Names(log), (std::vector<std::string>{"a", "c", "late"}));
}

TEST(MessageRouterDelivery, AHandlerMayRemoveItselfAndOthersRecursively) {
    std::vector<Delivery> log;
    MessageRouter router;
    Recorder a("a", &log), b("b", &log);
    a.Bind(&router, 1);
    b.Bind(&router, 1);
    BaseMessage msg(MSG_GRAB);
    a.onMessage = [&](BaseMessage*) {
        router.RemoveHandler(&a);
        // A nested delivery to the same id sees the hole and skips it.
        b.onMessage = nullptr;
        router.SendMessage(&msg, 1, 0);
    };
    router.SendMessage(&msg, 1, 0);
    EXPECT_EQ(Names(log), (std::vector<std::string>{"a", "b", "b"}));
    EXPECT_EQ(router.HandlerCount(1), 1u);
}

TEST(MessageRouterDelivery, AHandlerMayDestroyTheRouterThatCalledIt) {
    std::vector<Delivery> log;
    auto router = std::make_unique<MessageRouter>();
    Recorder a("a", &log), b("b", &log);
    a.Bind(router.get(), 1);
    b.Bind(router.get(), 1);
    a.onMessage = [&](BaseMessage*) { router.reset(); };
    BaseMessage msg(MSG_GRAB);
    router->SendMessage(&msg, 1, 0);
    EXPECT_EQ(Names(log), (std::vector<std::string>{"a"}));

    // The same from a delayed delivery: the clone in flight is freed once, by the update.
    auto delayed = std::make_unique<MessageRouter>();
    MessageRouter* const raw = delayed.get();
    Recorder c("c", &log);
    c.Bind(raw, 1);
    Message<std::string> text(MSG_LOAD_SOUND, "x");
    raw->SendMessage(&text, 1, 0, 0.1f, false);
    raw->SendMessage(&text, 1, 0, 0.1f, false);
    c.onMessage = [&](BaseMessage* m) {
        delayed.reset();
        EXPECT_EQ(*m->Payload<std::string>(), "x");
    };
    raw->Update(1.0f);
    EXPECT_EQ(log.size(), 2u);
}

TEST(MessageRouterChildren, UpdateReachesChildrenAndSurvivesTreeChanges) {
    std::vector<Delivery> log;
    MessageRouter root;
    MessageRouter first(&root);
    auto second = std::make_unique<MessageRouter>(&root);
    MessageRouter third(&root);
    first.AttachToParent();
    second->AttachToParent();
    third.AttachToParent();
    Recorder a("a", &log), b("b", &log), c("c", &log);
    a.Bind(&first, 10);
    b.Bind(second.get(), 11);
    c.Bind(&third, 12);
    BaseMessage msg(MSG_GRAB);
    first.SendMessage(&msg, 10, 0, 0.1f, false);
    second->SendMessage(&msg, 11, 0, 0.1f, false);
    third.SendMessage(&msg, 12, 0, 0.1f, false);
    MessageRouter added(&root);
    // The first child's message removes and destroys the second child and adds a new
    // one; the pass restarts, skips the children already updated and updates the rest.
    a.onMessage = [&](BaseMessage*) {
        root.RemoveChild(second.get());
        second.reset();
        added.AttachToParent();
    };
    root.Update(0.2f);
    EXPECT_EQ(Names(log), (std::vector<std::string>{"a", "c"}));
    EXPECT_TRUE(root.updatedThisFrame);
    EXPECT_TRUE(first.updatedThisFrame);
    EXPECT_TRUE(third.updatedThisFrame);
    EXPECT_TRUE(added.updatedThisFrame);
    EXPECT_EQ(root.Children().size(), 3u);
    EXPECT_FALSE(root.childrenChanged);
    root.RemoveChild(&root);
    EXPECT_EQ(root.Children().size(), 3u);
}

TEST(MessageRouterChildren, DestructorFreesQueuedClones) {
    MemoryPool* const pool = Allocator<Message<std::string>>::Pool();
    const u32 before = pool->LiveCount();
    {
        MessageRouter router;
        Message<std::string> msg(MSG_LOAD_SOUND, "a.wav");
        router.SendMessage(&msg, 1, 0, 1.0f, true);
        router.SendMessage(&msg, 1, 0, 2.0f, false);
        EXPECT_EQ(pool->LiveCount(), before + 2);
    }
    EXPECT_EQ(pool->LiveCount(), before);
}

} // namespace
