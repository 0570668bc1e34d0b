#include "ai/state_machine.h"

#include <mutex>
#include <set>
#include <utility>

#include "ai/ai_view_component.h"
#include "core/stream_map.h"
#include "platform/system/log.h"

namespace {

// Reports a bad definition once per unit type and state name, however often units of that
// type hit it.
void ReportOnce(const std::string& unitType, const std::string& what) {
    static std::mutex lock;
    static std::set<std::pair<std::string, std::string>> reported;
    const std::lock_guard<std::mutex> guard(lock);
    if (reported.insert({unitType, what}).second) {
        sys::Log() << "AI unit \"" << unitType << "\": " << what;
    }
}

} // namespace

StateMachine::StateMachine(StreamMap* stream, AIViewComponent* owner) : m_owner(owner) {
    if (stream == nullptr) {
        return;
    }
    if (stream->IsWriting()) {
        stream->BeginRead();
    }
    i32 count = 0;
    stream->ReadInt(count);
    for (i32 i = 0; i < count; ++i) {
        std::string name;
        if (!stream->ReadString(name)) {
            break;
        }
        if (i == 0) {
            m_start_name = name;
        }
        const i32 id = StateIdFromName(name);
        State* const state = MakeState(id);
        if (state == nullptr) {
            continue;
        }
        state->m_machine = this;
        state->Attached();
        auto [at, inserted] = m_states.emplace(id, state);
        if (!inserted) {
            delete at->second;
            at->second = state;
        }
    }
    m_current = Find(StateIdFromName(m_start_name));
    if (m_current != nullptr) {
        m_current->Enter();
    } else if (owner != nullptr) {
        ReportOnce(owner->m_object_type,
                   "no state to start in (\"" + m_start_name + "\" has no class)");
    }
}

StateMachine::~StateMachine() {
    m_owner = nullptr;
    for (auto& [id, state] : m_states) {
        delete state;
    }
    m_states.clear();
    m_beams.clear();
}

void StateMachine::Update(float dt) {
    if (m_owner != nullptr && m_owner->m_target != nullptr && m_current != nullptr) {
        m_current->Update(dt);
    }
}

void StateMachine::ChangeState(State* next) {
    if (next == nullptr) {
        return;
    }
    if (m_current != nullptr) {
        m_current->Exit();
    }
    m_current = next;
    if (m_owner != nullptr && m_owner->m_target != nullptr) {
        m_current->Enter();
    }
}

bool StateMachine::ChangeTo(i32 id) {
    State* const next = Find(id);
    if (next == nullptr) {
        if (m_owner != nullptr) {
            ReportOnce(m_owner->m_object_type,
                       std::string("no state ") + StateIdName(id) + " to switch to");
        }
        return false;
    }
    ChangeState(next);
    return true;
}

State* StateMachine::Find(i32 id) const {
    const auto at = m_states.find(id);
    return at != m_states.end() ? at->second : nullptr;
}

bool StateMachine::IsCurrent(i32 id) const {
    return m_current != nullptr && m_current == Find(id);
}
