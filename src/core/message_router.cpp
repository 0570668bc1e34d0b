#include "core/message_router.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <optional>

#include "core/message.h"
#include "core/message_handler.h"
#include "core/message_trace.h"

namespace {

// One lock for every router: a send walks from router to router, and per-router locks
// taken along that walk could meet in opposite orders. It guards bookkeeping only and is
// never held while a handler runs, so it is held for a few hundred nanoseconds at a time.
std::mutex g_routerLock;

using Lock = std::lock_guard<std::mutex>;

// Messages are deleted outside the lock: a message's payload may own something whose
// destructor sends, or tears down a router.
using OwnedMessage = std::unique_ptr<BaseMessage>;

} // namespace

// Keeps an ActiveScope on the router's chain for as long as a delivery or update runs, so
// the code after a handler call can ask whether the router still exists. A delivery's
// scope also holds the router's delivery count up, so removals leave holes meanwhile.
class MessageRouter::ScopeGuard {
  public:
    // Built with the lock held, so that whatever the caller found stays as it was.
    ScopeGuard(MessageRouter* router, bool delivering, const Lock& /*held*/)
        : m_router(router), m_delivering(delivering) {
        m_scope.outer = router->m_scopes;
        m_scope.inFlight = nullptr;
        m_scope.destroyed = false;
        router->m_scopes = &m_scope;
        if (delivering) {
            ++router->m_delivering;
        }
    }
    // Lowered on every way out, a handler's exception included, so removals made during
    // a delivery are still swept; the router is not touched once a handler destroyed it.
    ~ScopeGuard() {
        if (!m_released) {
            const Lock lock(g_routerLock);
            ReleaseLocked();
        }
    }
    // Ends the scope early, with the lock held, saving the destructor a second lock.
    void ReleaseLocked() {
        if (m_released) {
            return;
        }
        m_released = true;
        if (m_scope.destroyed) {
            return;
        }
        ActiveScope** link = &m_router->m_scopes;
        while (*link != nullptr && *link != &m_scope) {
            link = &(*link)->outer;
        }
        if (*link != nullptr) {
            *link = m_scope.outer;
        }
        if (m_delivering && --m_router->m_delivering == 0 && m_router->m_holes) {
            m_router->SweepHandlers();
        }
    }
    ScopeGuard(const ScopeGuard&) = delete;
    ScopeGuard& operator=(const ScopeGuard&) = delete;

    // With the lock held.
    bool DestroyedLocked() const { return m_scope.destroyed; }
    void SetInFlightLocked(const BaseMessage* message) { m_scope.inFlight = message; }

  private:
    MessageRouter* m_router;
    bool m_delivering;
    bool m_released = false;
    ActiveScope m_scope;
};

MessageRouter::MessageRouter(MessageRouter* parent) : parent(parent) {}

MessageRouter::~MessageRouter() {
    std::vector<OwnedMessage> clones;
    const Lock lock(g_routerLock);
    for (ActiveScope* scope = m_scopes; scope != nullptr; scope = scope->outer) {
        scope->destroyed = true;
    }
    for (const QueueEntry& entry : queue) {
        bool inFlight = false;
        for (const ActiveScope* scope = m_scopes; scope != nullptr; scope = scope->outer) {
            inFlight = inFlight || scope->inFlight == entry.message;
        }
        // A clone being delivered is deleted by the update that is delivering it.
        if (!inFlight) {
            clones.emplace_back(entry.message);
        }
    }
    // clones is destroyed after the lock is released.
}

int MessageRouter::CompareRange(u32 id, u32 low, u32 high) {
    if (id < low) {
        return kBelow;
    }
    return id <= high ? kInside : kAbove;
}

bool MessageRouter::InRange(u32 id) const {
    return CompareRange(id, lowId, highId) == kInside;
}

u32 MessageRouter::LowId() const {
    const Lock lock(g_routerLock);
    return lowId;
}

u32 MessageRouter::HighId() const {
    const Lock lock(g_routerLock);
    return highId;
}

bool MessageRouter::HasRegistrations() const {
    const Lock lock(g_routerLock);
    return lowId <= highId;
}

void MessageRouter::RegisterHandler(u32 id, MessageHandler* handler) {
    const Lock lock(g_routerLock);
    const bool first = lowId > highId;
    handlers[id].push_back(handler);
    if (first) {
        lowId = id;
        highId = id;
    } else {
        lowId = std::min(lowId, id);
        highId = std::max(highId, id);
    }
}

void MessageRouter::RemoveHandler(MessageHandler* handler) {
    auto erase = [this,
                  handler](std::unordered_map<u32, std::vector<MessageHandler*>>::iterator found) {
        std::vector<MessageHandler*>& list = found->second;
        const auto at = std::find(list.begin(), list.end(), handler);
        if (at == list.end()) {
            return false;
        }
        if (m_delivering > 0) {
            // A delivery may be walking this list: leave a hole and sweep it later.
            *at = nullptr;
            m_holes = true;
        } else {
            list.erase(at);
            if (list.empty()) {
                m_cachedList = nullptr;
                handlers.erase(found);
            }
        }
        return true;
    };
    if (handler == nullptr) {
        return;
    }
    const Lock lock(g_routerLock);
    // Handlers are almost always registered under their own id.
    const auto own = handlers.find(handler->id);
    if (own != handlers.end() && erase(own)) {
        return;
    }
    for (auto it = handlers.begin(); it != handlers.end(); ++it) {
        if (it != own && erase(it)) {
            return;
        }
    }
}

void MessageRouter::SweepHandlers() {
    for (auto it = handlers.begin(); it != handlers.end();) {
        std::vector<MessageHandler*>& list = it->second;
        list.erase(std::remove(list.begin(), list.end(), nullptr), list.end());
        it = list.empty() ? handlers.erase(it) : std::next(it);
    }
    m_cachedList = nullptr;
    m_holes = false;
}

std::size_t MessageRouter::HandlerCount(u32 id) const {
    const Lock lock(g_routerLock);
    const auto found = handlers.find(id);
    if (found == handlers.end()) {
        return 0;
    }
    return static_cast<std::size_t>(
        std::count_if(found->second.begin(), found->second.end(),
                      [](const MessageHandler* h) { return h != nullptr; }));
}

std::size_t MessageRouter::QueueSize() const {
    const Lock lock(g_routerLock);
    return queue.size();
}

bool MessageRouter::HasChildren() const {
    const Lock lock(g_routerLock);
    return !children.empty();
}

void MessageRouter::SetParent(MessageRouter* newParent) {
    const Lock lock(g_routerLock);
    parent = newParent;
}

MessageRouter* MessageRouter::Parent() const {
    const Lock lock(g_routerLock);
    return parent;
}

void MessageRouter::AddChild(MessageRouter* child) {
    const Lock lock(g_routerLock);
    children.push_back(child);
    childrenChanged = true;
}

void MessageRouter::AttachToParent() {
    MessageRouter* const to = Parent();
    if (to != nullptr) {
        to->AddChild(this);
    }
}

void MessageRouter::RemoveChild(MessageRouter* child) {
    const Lock lock(g_routerLock);
    const auto at = std::find(children.begin(), children.end(), child);
    if (at != children.end()) {
        children.erase(at);
        childrenChanged = true;
    }
}

std::vector<MessageHandler*>* MessageRouter::FindHandlers(u32 id) {
    if (id == m_cachedId && m_cachedList != nullptr) {
        return m_cachedList;
    }
    const auto found = handlers.find(id);
    if (found == handlers.end()) {
        return nullptr;
    }
    m_cachedId = id;
    m_cachedList = &found->second;
    return m_cachedList;
}

bool MessageRouter::Deliver(BaseMessage* message, u32 toId, u32 fromId, MessageRouter*& next,
                            bool& descending) {
    // The scope holds the delivery count up, so the list stays in the map and the pointer
    // holds; a handler registered during the delivery is past count and waits for the next
    // message. Each handler is read under the lock, as another thread's registration may
    // move the list's storage.
    std::optional<ScopeGuard> guard;
    std::vector<MessageHandler*>* list = nullptr;
    std::size_t count = 0;
    std::size_t i = 0;
    // The next handler of the list, holes skipped; null at its end.
    const auto following = [&]() -> MessageHandler* {
        while (i < count && (*list)[i] == nullptr) {
            ++i;
        }
        return i < count ? (*list)[i++] : nullptr;
    };
    MessageHandler* handler = nullptr;
    {
        const Lock lock(g_routerLock);
        list = FindHandlers(toId);
        if (list != nullptr) {
            count = list->size();
            handler = following();
        }
        if (handler == nullptr) {
            next = NextHop(toId, descending);
            return false;
        }
        guard.emplace(this, true, lock);
    }
    MessageTrace::Instance().Write(*message, toId);
    for (;;) {
        handler->HandleMessage(message, fromId);
        const Lock lock(g_routerLock);
        if (!guard->DestroyedLocked()) {
            handler = following();
            if (handler != nullptr) {
                continue;
            }
        }
        guard->ReleaseLocked();
        return true;
    }
}

MessageRouter* MessageRouter::NextHop(u32 toId, bool& descending) const {
    if (InRange(toId)) {
        return nullptr;
    }
    MessageRouter* const up = parent;
    if (!descending && up != nullptr && CompareRange(toId, up->lowId, up->highId) != kAbove) {
        return up;
    }
    for (MessageRouter* child : children) {
        if (child->InRange(toId) || (child->highId < toId && !child->children.empty())) {
            descending = true;
            return child;
        }
    }
    return nullptr;
}

void MessageRouter::SendMessage(BaseMessage* message, u32 toId, u32 fromId, float delay,
                                bool repeat) {
    if (delay > 0.0f) {
        OwnedMessage clone(message->Clone());
        const Lock lock(g_routerLock);
        queue.push_back(QueueEntry{clone.get(), toId, fromId, delay, delay, repeat, false});
        clone.release();
        return;
    }
    MessageRouter* router = this;
    // Once a message has gone down the tree it never goes up again: ranges that do not
    // grow downwards could otherwise bounce it between a parent and a child forever.
    bool descending = false;
    while (router != nullptr) {
        MessageRouter* next = nullptr;
        if (router->Deliver(message, toId, fromId, next, descending)) {
            return;
        }
        router = next;
    }
}

void MessageRouter::ClearQueue() {
    std::vector<OwnedMessage> clones;
    const Lock lock(g_routerLock);
    if (m_walking_queue) {
        // The walk in Update owns the entries and the clone it is delivering.
        for (QueueEntry& entry : queue) {
            entry.cleared = true;
        }
        return;
    }
    for (const QueueEntry& entry : queue) {
        clones.emplace_back(entry.message);
    }
    queue.clear();
}

void MessageRouter::Update(float dt) {
    std::optional<ScopeGuard> guard;
    bool walk = false;
    std::list<QueueEntry>::iterator it;
    {
        const Lock lock(g_routerLock);
        guard.emplace(this, false, lock);
        // A handler that updates this router again from inside a delivery gets no second
        // walk.
        walk = !m_walking_queue;
        m_walking_queue = true;
        it = queue.begin();
    }
    while (walk) {
        BaseMessage* message = nullptr;
        u32 toId = 0;
        u32 fromId = 0;
        {
            std::vector<OwnedMessage> dropped;
            const Lock lock(g_routerLock);
            // Entries queued meanwhile, by handlers or other threads, join this walk.
            while (it != queue.end() && message == nullptr) {
                if (it->cleared || it->message == nullptr) {
                    dropped.emplace_back(it->message);
                    it = queue.erase(it);
                    continue;
                }
                it->timeLeft -= dt;
                if (it->timeLeft > 0.0f) {
                    ++it;
                    continue;
                }
                message = it->message;
                toId = it->toId;
                fromId = it->fromId;
            }
            if (message == nullptr) {
                m_walking_queue = false;
                break;
            }
            guard->SetInFlightLocked(message);
        }
        SendMessage(message, toId, fromId, 0.0f, false);
        OwnedMessage done;
        const Lock lock(g_routerLock);
        if (guard->DestroyedLocked()) {
            done.reset(message);
            return;
        }
        guard->SetInFlightLocked(nullptr);
        if (it->repeat && !it->cleared) {
            it->timeLeft += it->period;
            ++it;
        } else {
            done.reset(message);
            it = queue.erase(it);
        }
    }
    UpdateChildren(dt, *guard);
    const Lock lock(g_routerLock);
    if (!guard->DestroyedLocked()) {
        updatedThisFrame = true;
    }
}

void MessageRouter::UpdateChildren(float dt, ScopeGuard& guard) {
    {
        const Lock lock(g_routerLock);
        if (guard.DestroyedLocked()) {
            return;
        }
        for (MessageRouter* child : children) {
            child->updatedThisFrame = false;
        }
        childrenChanged = false;
    }
    std::size_t i = 0;
    for (;;) {
        MessageRouter* child = nullptr;
        {
            const Lock lock(g_routerLock);
            while (i < children.size() && children[i]->updatedThisFrame) {
                ++i;
            }
            if (i == children.size()) {
                return;
            }
            child = children[i++];
        }
        child->Update(dt);
        const Lock lock(g_routerLock);
        if (guard.DestroyedLocked()) {
            return;
        }
        if (childrenChanged) {
            childrenChanged = false;
            i = 0;
        }
    }
}
