#include "ai/level_links.h"

#include <list>

#include "city/building_component.h"
#include "city/spawn_point_component.h"
#include "core/game_object.h"

namespace {

SpawnPointComponent* Point(Component& point) {
    return dynamic_cast<SpawnPointComponent*>(&point);
}

} // namespace

SpawnPointComponentLink* SpawnPointComponentLink::Instance() {
    static SpawnPointComponentLink link;
    return &link;
}

Component* SpawnPointComponentLink::Create(const std::string& objectType, StreamMap* stream) {
    return new SpawnPointComponent(objectType, stream);
}

void SpawnPointComponentLink::Update(Component& point, float dt) {
    point.Update(dt);
}

std::string SpawnPointComponentLink::SpawnTypeName(Component& point) {
    SpawnPointComponent* const p = Point(point);
    return p != nullptr ? p->m_typeName : std::string();
}

i32 SpawnPointComponentLink::PendingCount(Component& point) {
    SpawnPointComponent* const p = Point(point);
    return p != nullptr ? p->m_pending : 0;
}

void SpawnPointComponentLink::SetPendingCount(Component& point, i32 count) {
    if (SpawnPointComponent* const p = Point(point)) {
        p->m_pending = count;
    }
}

Vector SpawnPointComponentLink::Position(Component& point) {
    return point.owner != nullptr ? point.owner->position : Vector();
}

Vector SpawnPointComponentLink::TargetPosition(Component& point) {
    SpawnPointComponent* const p = Point(point);
    if (p == nullptr) {
        return Vector();
    }
    // A point asked before its first update has not looked for the player yet.
    if (p->m_player == nullptr) {
        p->Initialize();
    }
    return p->m_player != nullptr ? p->m_player->position : Position(point);
}

void SpawnPointComponentLink::StoreTargetDistance(Component& point, f32 distanceSquared) {
    if (SpawnPointComponent* const p = Point(point)) {
        p->m_distanceSq = distanceSquared;
    }
}

void SpawnPointComponentLink::SetSpawnParameters(Component& point, f32 first, f32 second) {
    if (SpawnPointComponent* const p = Point(point)) {
        p->m_interval = first;
        p->m_minDistance = second;
    }
}

void QuadtreeBuildingIndex::Collect(const Vector& centre, f32 size,
                                    std::vector<GameObject*>& out) const {
    if (m_tree == nullptr) {
        return;
    }
    // The search never changes the tree; the node finder is simply not marked const.
    auto* const tree = const_cast<Quadtree<BuildingComponent*>*>(m_tree);
    const Quadtree<BuildingComponent*>* const node = tree->FindNode(centre, size);
    std::list<BuildingComponent*> found;
    QuadtreeTraversal<BuildingComponent*> traversal(&found);
    traversal.CollectAncestors(node);
    for (const Quadtree<BuildingComponent*>* child : node->children) {
        traversal.CollectDescendants(child);
    }
    for (BuildingComponent* building : found) {
        if (building != nullptr && building->owner != nullptr) {
            out.push_back(building->owner);
        }
    }
}
