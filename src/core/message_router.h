#pragma once
// Delivers messages to handlers registered under numeric ids, at once or after a delay,
// optionally repeating. Routers form a tree (the game, its states, their objects); an id
// not registered where a message is sent travels up or down by the routers' id ranges,
// which grow down the tree.
//
// Handlers may register, remove or delete handlers, queue or clear messages and even
// destroy the router while a message is being delivered: removals during a delivery
// leave a hole that is swept once the outermost delivery ends, and a queued clone that is
// being delivered is deleted only after its handlers return.
//
// Other threads may send, register and remove while the owning thread updates (the resource
// loader sends from its own thread): every router's bookkeeping is guarded by one lock that
// is never held while a handler runs, so a handler may block on another thread, and a
// message sent without delay from any thread is answered before SendMessage returns. The
// handlers themselves then run on the sender's thread and guard their own state.

#include <list>
#include <unordered_map>
#include <vector>

#include "core/entity.h"
#include "core/types.h"

class BaseMessage;
class MessageHandler;

class MessageRouter : public Entity {
  public:
    // Answers of CompareRange.
    static constexpr int kBelow = 0;
    static constexpr int kInside = 1;
    static constexpr int kAbove = 2;

    // Does not attach itself to the parent's children; the owner calls AttachToParent.
    explicit MessageRouter(MessageRouter* parent = nullptr);
    // Deletes the queued clones; neither detaches from the parent nor deletes children.
    ~MessageRouter() override;
    MessageRouter(const MessageRouter&) = delete;
    MessageRouter& operator=(const MessageRouter&) = delete;

    // Delivers due delayed messages, then updates the children.
    void Update(float dt) override;

    // Several handlers may share one id; they receive messages in registration order.
    void RegisterHandler(u32 id, MessageHandler* handler);
    // Erases the first registration of handler under any id; the id range stays.
    void RemoveHandler(MessageHandler* handler);

    void AddChild(MessageRouter* child);
    void AttachToParent();
    void RemoveChild(MessageRouter* child);
    bool HasChildren() const;
    void SetParent(MessageRouter* newParent);
    MessageRouter* Parent() const;
    // For the owning thread only: the vector may change under another thread's AddChild.
    const std::vector<MessageRouter*>& Children() const { return children; }

    static int CompareRange(u32 id, u32 low, u32 high);

    // With a delay the message is cloned into the queue and the caller keeps its own;
    // without one it is delivered before this returns. Undeliverable messages are dropped.
    void SendMessage(BaseMessage* message, u32 toId, u32 fromId, float delay = 0.0f,
                     bool repeat = false);
    // Discards every pending delayed message without delivering it.
    void ClearQueue();

    // Smallest and largest id ever registered; while nothing was registered the range is
    // empty with lowId above highId, so every lower id counts as lying above this router.
    u32 LowId() const;
    u32 HighId() const;
    bool HasRegistrations() const;
    // Registrations under id (holes of removals during a delivery excluded).
    std::size_t HandlerCount(u32 id) const;
    std::size_t QueueSize() const;

    bool childrenChanged = false;
    bool updatedThisFrame = false;

  private:
    struct QueueEntry {
        BaseMessage* message;
        u32 toId;
        u32 fromId;
        float timeLeft;
        float period;
        bool repeat;
        bool cleared;
    };

    // One per delivery or update running on this router, on any thread, so the destructor
    // can tell them the router is gone and leave their clone alone. Not in stack order once
    // two threads deliver here: a scope unlinks itself wherever it sits in the chain.
    struct ActiveScope {
        ActiveScope* outer;
        const BaseMessage* inFlight;
        bool destroyed;
    };
    class ScopeGuard;

    // Delivers to the handlers under toId at this router; false when there are none, with
    // next set to the router the message goes on to (null: dropped). Also true when a
    // handler destroyed the router, which must then not be touched again.
    bool Deliver(BaseMessage* message, u32 toId, u32 fromId, MessageRouter*& next,
                 bool& descending);
    // The rest expect the lock held.
    std::vector<MessageHandler*>* FindHandlers(u32 id);
    MessageRouter* NextHop(u32 toId, bool& descending) const;
    bool InRange(u32 id) const;
    void SweepHandlers();
    void UpdateChildren(float dt, ScopeGuard& guard);

    std::list<QueueEntry> queue;
    std::unordered_map<u32, std::vector<MessageHandler*>> handlers;
    std::vector<MessageRouter*> children;
    MessageRouter* parent;
    u32 lowId = 0xFFFFFFFFu;
    u32 highId = 0;

    // The list of the id delivered to last: an object's router serves one id, and a
    // state's router mostly the same few in a row.
    u32 m_cachedId = 0;
    std::vector<MessageHandler*>* m_cachedList = nullptr;

    ActiveScope* m_scopes = nullptr;
    u32 m_delivering = 0;
    bool m_holes = false;
    bool m_walking_queue = false;
};
