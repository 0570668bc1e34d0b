#include "core/message_router.h"

#include <algorithm>

#include "core/message.h"
#include "core/message_handler.h"

// Keeps an ActiveScope on the router's chain for as long as a delivery or update runs, so
// the code after a handler call can ask whether the router still exists.
class MessageRouter::ScopeGuard {
public:
    explicit ScopeGuard(MessageRouter* router) : m_router(router) {
        m_scope.outer = router->m_scopes;
        m_scope.inFlight = nullptr;
        m_scope.destroyed = false;
        router->m_scopes = &m_scope;
    }
    ~ScopeGuard() {
        if (!m_scope.destroyed) {
            m_router->m_scopes = m_scope.outer;
        }
    }
    ScopeGuard(const ScopeGuard&) = delete;
    ScopeGuard& operator=(const ScopeGuard&) = delete;

    bool Destroyed() const { return m_scope.destroyed; }
    void SetInFlight(const BaseMessage* message) { m_scope.inFlight = message; }
    const ActiveScope& Scope() const { return m_scope; }

private:
    MessageRouter* m_router;
    ActiveScope m_scope;
};

MessageRouter::MessageRouter(MessageRouter* parent) : parent(parent) {}

MessageRouter::~MessageRouter() {
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
            delete entry.message;
        }
    }
}

int MessageRouter::CompareRange(u32 id, u32 low, u32 high) {
    if (id < low) {
        return kBelow;
    }
    return id <= high ? kInside : kAbove;
}

void MessageRouter::RegisterHandler(u32 id, MessageHandler* handler) {
    handlers[id].push_back(handler);
    if (!HasRegistrations()) {
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
    const auto found = handlers.find(id);
    if (found == handlers.end()) {
        return 0;
    }
    return static_cast<std::size_t>(
        std::count_if(found->second.begin(), found->second.end(),
                      [](const MessageHandler* h) { return h != nullptr; }));
}

void MessageRouter::AddChild(MessageRouter* child) {
    children.push_back(child);
    childrenChanged = true;
}

void MessageRouter::AttachToParent() {
    if (parent != nullptr) {
        parent->AddChild(this);
    }
}

void MessageRouter::RemoveChild(MessageRouter* child) {
    const auto at = std::find(children.begin(), children.end(), child);
    if (at != children.end()) {
        children.erase(at);
        childrenChanged = true;
    }
}

bool MessageRouter::Deliver(BaseMessage* message, u32 toId, u32 fromId) {
    std::vector<MessageHandler*>* listAt = m_cachedList;
    if (toId != m_cachedId || listAt == nullptr) {
        const auto found = handlers.find(toId);
        if (found == handlers.end()) {
            return false;
        }
        listAt = &found->second;
        m_cachedId = toId;
        m_cachedList = listAt;
    }
    // The entry stays in the map while m_delivering is set, so the reference holds; a
    // handler registered during the delivery is past count and waits for the next message.
    std::vector<MessageHandler*>& list = *listAt;
    const std::size_t count = list.size();
    ScopeGuard guard(this);
    // Lowered on every way out, a handler's exception included, so removals made during
    // this delivery are still swept; not touched once a handler has destroyed the router.
    struct DeliveringCount {
        MessageRouter* router;
        const ScopeGuard& guard;
        ~DeliveringCount() {
            if (!guard.Destroyed() && --router->m_delivering == 0 && router->m_holes) {
                router->SweepHandlers();
            }
        }
    };
    ++m_delivering;
    const DeliveringCount counting{this, guard};
    bool delivered = false;
    for (std::size_t i = 0; i < count; ++i) {
        MessageHandler* const handler = list[i];
        if (handler == nullptr) {
            continue;
        }
        delivered = true;
        handler->HandleMessage(message, fromId);
        if (guard.Destroyed()) {
            return true;
        }
    }
    return delivered;
}

void MessageRouter::SendMessage(BaseMessage* message, u32 toId, u32 fromId, float delay,
                                bool repeat) {
    if (delay > 0.0f) {
        queue.push_back(QueueEntry{message->Clone(), toId, fromId, delay, delay, repeat, false});
        return;
    }
    MessageRouter* router = this;
    // Once a message has gone down the tree it never goes up again: ranges that do not
    // grow downwards could otherwise bounce it between a parent and a child forever.
    bool descending = false;
    for (;;) {
        if (router->Deliver(message, toId, fromId)) {
            return;
        }
        if (CompareRange(toId, router->lowId, router->highId) == kInside) {
            return;
        }
        MessageRouter* const up = router->parent;
        if (!descending && up != nullptr && CompareRange(toId, up->lowId, up->highId) != kAbove) {
            router = up;
            continue;
        }
        MessageRouter* down = nullptr;
        for (MessageRouter* child : router->children) {
            if (CompareRange(toId, child->lowId, child->highId) == kInside ||
                (child->highId < toId && child->HasChildren())) {
                down = child;
                break;
            }
        }
        if (down == nullptr) {
            return;
        }
        router = down;
        descending = true;
    }
}

void MessageRouter::ClearQueue() {
    if (m_walking_queue) {
        // The walk in Update owns the entries and the clone it is delivering.
        for (QueueEntry& entry : queue) {
            entry.cleared = true;
        }
        return;
    }
    for (const QueueEntry& entry : queue) {
        delete entry.message;
    }
    queue.clear();
}

void MessageRouter::Update(float dt) {
    ScopeGuard guard(this);
    // A handler that updates this router again from inside a delivery gets no second walk.
    if (!m_walking_queue) {
        m_walking_queue = true;
        for (auto it = queue.begin(); it != queue.end();) {
            if (it->cleared || it->message == nullptr) {
                delete it->message;
                it = queue.erase(it);
                continue;
            }
            it->timeLeft -= dt;
            if (it->timeLeft > 0.0f) {
                ++it;
                continue;
            }
            BaseMessage* const message = it->message;
            guard.SetInFlight(message);
            SendMessage(message, it->toId, it->fromId, 0.0f, false);
            if (guard.Destroyed()) {
                delete message;
                return;
            }
            guard.SetInFlight(nullptr);
            if (it->repeat && !it->cleared) {
                it->timeLeft += it->period;
                ++it;
            } else {
                delete message;
                it = queue.erase(it);
            }
        }
        m_walking_queue = false;
    }
    UpdateChildren(dt, guard.Scope());
    if (!guard.Destroyed()) {
        updatedThisFrame = true;
    }
}

void MessageRouter::UpdateChildren(float dt, const ActiveScope& scope) {
    for (MessageRouter* child : children) {
        child->updatedThisFrame = false;
    }
    childrenChanged = false;
    std::size_t i = 0;
    while (i < children.size()) {
        MessageRouter* const child = children[i];
        ++i;
        if (child->updatedThisFrame) {
            continue;
        }
        child->Update(dt);
        if (scope.destroyed) {
            return;
        }
        if (childrenChanged) {
            childrenChanged = false;
            i = 0;
        }
    }
}
