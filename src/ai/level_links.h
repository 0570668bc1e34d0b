#pragma once
// The AI's views of two city pieces it reaches through narrow interfaces: the level's spawn
// point components and the building quadtree. The shell hands the spawn point link to the
// AI process; the process wraps the quadtree the building process answers with.
#include "ai/unit_services.h"
#include "city/quadtree.h"

class BuildingComponent;

// Spawn points as the city's "SpawnPoint" components.
class SpawnPointComponentLink : public SpawnPointLink {
  public:
    Component* Create(const std::string& objectType, StreamMap* stream) override;
    void Update(Component& point, float dt) override;
    std::string SpawnTypeName(Component& point) override;
    i32 PendingCount(Component& point) override;
    void SetPendingCount(Component& point, i32 count) override;
    Vector Position(Component& point) override;
    Vector TargetPosition(Component& point) override;
    void StoreTargetDistance(Component& point, f32 distanceSquared) override;
    void SetSpawnParameters(Component& point, f32 first, f32 second) override;

    // The one the level uses.
    static SpawnPointComponentLink* Instance();
};

// The building quadtree searched by place: the node for a sphere of the size around the
// centre, its ancestors up to the root, then the nodes below it.
class QuadtreeBuildingIndex : public BuildingIndex {
  public:
    void SetTree(const Quadtree<BuildingComponent*>* tree) { m_tree = tree; }
    void Collect(const Vector& centre, f32 size, std::vector<GameObject*>& out) const override;

  private:
    const Quadtree<BuildingComponent*>* m_tree = nullptr;
};
