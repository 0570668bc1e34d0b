// Contact and trigger reports: after each step the engine's manifolds are read into pair
// sets; after each Simulate that stepped, the pairs are compared with those of the last one
// and the differences queued; Fetch hands the queue to the receivers. No receiver runs
// while the engine's manifolds are being walked.
#include <algorithm>

#include "platform/physics/world.h"

namespace physics {
namespace {

std::uint64_t PairKey(const ActorBody& first, const ActorBody& second) {
    return (static_cast<std::uint64_t>(first.m_serial) << 32) | second.m_serial;
}

Vec3 ToVec3(const btVector3& v) {
    return Vec3{v.x(), v.y(), v.z()};
}

ContactPatch ReadPatch(const btPersistentManifold& manifold, bool flip) {
    ContactPatch patch;
    const int count = std::min<int>(manifold.getNumContacts(), ContactPatch::kMaxPoints);
    for (int i = 0; i < count; ++i) {
        const btManifoldPoint& point = manifold.getContactPoint(i);
        patch.points[i].position =
            ToVec3((point.getPositionWorldOnA() + point.getPositionWorldOnB()) * btScalar(0.5));
        patch.points[i].separation = point.getDistance();
        // The engine's normal points from its second object towards its first.
        patch.normal = ToVec3(flip ? -point.m_normalWorldOnB : point.m_normalWorldOnB);
    }
    patch.pointCount = static_cast<std::uint32_t>(count);
    return patch;
}

// Whether the actor has lain where it was placed since it was made (static ones always).
bool RestingAsMade(const ActorBody& actor) {
    return actor.m_kind == BodyKind::kStatic ||
           (actor.m_kind == BodyKind::kDynamic && actor.m_restingAsMade);
}

bool ByKey(const PairRecord& a, const PairRecord& b) {
    return a.key < b.key;
}

// Sorts the step's one-patch records by pair and gathers each pair's patches together.
void GroupByPair(PairSet& step, PairSet& scratch) {
    std::stable_sort(step.pairs.begin(), step.pairs.end(), ByKey);
    scratch.Clear();
    for (const PairRecord& record : step.pairs) {
        if (scratch.pairs.empty() || scratch.pairs.back().key != record.key) {
            PairRecord grouped = record;
            grouped.patchBegin = static_cast<std::uint32_t>(scratch.patches.size());
            grouped.patchCount = 0;
            scratch.pairs.push_back(grouped);
        }
        for (std::uint32_t i = 0; i < record.patchCount; ++i) {
            scratch.patches.push_back(step.patches[record.patchBegin + i]);
        }
        scratch.pairs.back().patchCount += record.patchCount;
    }
    std::swap(step, scratch);
}

void CopyRecord(const PairRecord& record, const PairSet& from, PairSet& to) {
    PairRecord copy = record;
    copy.patchBegin = static_cast<std::uint32_t>(to.patches.size());
    to.patches.insert(to.patches.end(), from.patches.begin() + record.patchBegin,
                      from.patches.begin() + record.patchBegin + record.patchCount);
    to.pairs.push_back(copy);
}

} // namespace

void World::CollectPairs() {
    m_stepContacts.Clear();
    m_stepTriggers.Clear();
    const int manifolds = m_dispatcher->getNumManifolds();
    for (int i = 0; i < manifolds; ++i) {
        const btPersistentManifold& manifold = *m_dispatcher->getManifoldByIndexInternal(i);
        if (manifold.getNumContacts() == 0) {
            continue;
        }
        auto* actor0 = static_cast<ActorBody*>(manifold.getBody0()->getUserPointer());
        auto* actor1 = static_cast<ActorBody*>(manifold.getBody1()->getUserPointer());
        if (actor0 == actor1 || (actor0->m_trigger && actor1->m_trigger)) {
            continue;
        }
        PairRecord record;
        if (actor0->m_trigger || actor1->m_trigger) {
            record.first = actor0->m_trigger ? actor0 : actor1;
            record.second = actor0->m_trigger ? actor1 : actor0;
            record.key = PairKey(*record.first, *record.second);
            m_stepTriggers.pairs.push_back(record);
            continue;
        }
        const bool flip = actor1->m_serial < actor0->m_serial;
        record.first = flip ? actor1 : actor0;
        record.second = flip ? actor0 : actor1;
        record.key = PairKey(*record.first, *record.second);
        record.settled = RestingAsMade(*actor0) && RestingAsMade(*actor1);
        record.patchBegin = static_cast<std::uint32_t>(m_stepContacts.patches.size());
        record.patchCount = 1;
        m_stepContacts.patches.push_back(ReadPatch(manifold, flip));
        m_stepContacts.pairs.push_back(record);
    }
    GroupByPair(m_stepContacts, m_scratch);
    GroupByPair(m_stepTriggers, m_scratch);
}

void World::MergeStep(PairSet& accumulated, PairSet& step, PairSet& scratch) {
    if (accumulated.pairs.empty()) {
        std::swap(accumulated, step);
        return;
    }
    // A pair seen in any step of the frame counts; the latest step's patches win.
    scratch.Clear();
    auto a = accumulated.pairs.begin();
    auto s = step.pairs.begin();
    while (a != accumulated.pairs.end() || s != step.pairs.end()) {
        if (s == step.pairs.end() || (a != accumulated.pairs.end() && a->key < s->key)) {
            CopyRecord(*a++, accumulated, scratch);
        } else {
            const bool settled = a != accumulated.pairs.end() && a->key == s->key && a->settled;
            if (a != accumulated.pairs.end() && a->key == s->key) {
                ++a;
            }
            CopyRecord(*s++, step, scratch);
            scratch.pairs.back().settled = scratch.pairs.back().settled || settled;
        }
    }
    std::swap(accumulated, scratch);
}

void World::Diff(const PairSet& previous, const PairSet& current, bool trigger) {
    const std::uint32_t started =
        trigger ? trigger_event::kEnter : contact_event::kStartTouch | contact_event::kTouch;
    const std::uint32_t continuing = trigger ? trigger_event::kStay : contact_event::kTouch;
    const std::uint32_t ended = trigger ? trigger_event::kLeave : contact_event::kEndTouch;
    auto p = previous.pairs.begin();
    auto c = current.pairs.begin();
    while (p != previous.pairs.end() || c != current.pairs.end()) {
        if (c == current.pairs.end() || (p != previous.pairs.end() && p->key < c->key)) {
            QueueReport(*p++, previous, ended, trigger); // the end carries the pair's last patches
        } else if (p == previous.pairs.end() || c->key < p->key) {
            // A touch that was there before either body ever moved goes on; it does not start.
            QueueReport(*c, current, c->settled ? continuing : started, trigger);
            ++c;
        } else {
            ++p;
            QueueReport(*c++, current, continuing, trigger);
        }
    }
}

void World::QueueReport(const PairRecord& record, const PairSet& from, std::uint32_t events,
                        bool trigger) {
    PendingReport report;
    report.first = record.first;
    report.second = record.second;
    report.events = events;
    report.trigger = trigger;
    report.patchBegin = static_cast<std::uint32_t>(m_pendingPatches.size());
    report.patchCount = record.patchCount;
    m_pendingPatches.insert(m_pendingPatches.end(), from.patches.begin() + record.patchBegin,
                            from.patches.begin() + record.patchBegin + record.patchCount);
    m_pending.push_back(report);
}

void World::DropReports(const ActorBody* actor) {
    for (PendingReport& report : m_pending) {
        if (report.first == actor || report.second == actor) {
            report.first = nullptr;
            report.second = nullptr;
        }
    }
    // Pairs of the last frame that name it would end against a dead actor.
    for (PairSet* set : {&m_previousContacts, &m_previousTriggers}) {
        std::erase_if(set->pairs, [actor](const PairRecord& record) {
            return record.first == actor || record.second == actor;
        });
    }
}

void World::Fetch() {
    // Receivers may release actors (which clears their reports here) but the queue itself
    // stays in place until every report has been offered.
    for (std::size_t i = 0; i < m_pending.size(); ++i) {
        const PendingReport report = m_pending[i];
        if (!report.first || !report.second || !MayTouch(*report.first, *report.second)) {
            continue;
        }
        if (report.trigger) {
            if (m_triggerReceiver) {
                m_triggerReceiver->OnTrigger(*report.first, *report.second, report.events);
            }
        } else if (m_contactReceiver) {
            ContactPair pair;
            pair.first = report.first;
            pair.second = report.second;
            pair.patches = m_pendingPatches.data() + report.patchBegin;
            pair.patchCount = report.patchCount;
            m_contactReceiver->OnContact(pair, report.events);
        }
    }
    m_pending.clear();
    m_pendingPatches.clear();
}

} // namespace physics
