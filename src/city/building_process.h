#pragma once
// The level's buildings (handler 17): makes the "Building" components and owns them, keeps
// the anchored ones in a loose quadtree that the grab and the AI search, answers building
// queries, removes finished buildings with their explosions, reports them to the game logic
// and raises destroyed ones again out of the robot's sight.
#include <string>
#include <vector>

#include "city/quadtree.h"
#include "core/handler_ids.h"
#include "core/process.h"
#include "core/quaternion.h"
#include "core/vector.h"

class BuildingComponent;
class Component;
class GameObject;
class SoundInstance;

// One building found at level start: where it stands, so that it can be raised again.
struct BuildingSpawnRecord {
    Vector position;
    Vector extent;
    Vector scale;
    Quaternion orientation;
    std::string type_name;
    i32 index = 0;
    bool present = true;
    // The robot has not yet been within 40 units of it.
    bool unvisited = true;
    // Never culled and never raised again.
    bool special = false;
    // Seconds since its building was removed; -1 while present.
    float timer = -1.0f;
    // Seconds a removed building waits before it may rise again.
    float delay = 0.0f;
    // The records that lie under this one.
    std::vector<i32> supports;
};

class BuildingProcess : public ComponentProcess {
  public:
    static constexpr u32 kHandlerId = HANDLER_BUILDING_PROCESS;
    static constexpr i32 kOrdinaryCap = 45;
    static constexpr i32 kEndlessOrdinaryCap = 75;

    // stateFlag is the creating game state's spare flag byte, passed on as it is.
    BuildingProcess(bool stateFlag, bool endless);
    ~BuildingProcess() override;
    BuildingProcess(const BuildingProcess&) = delete;
    BuildingProcess& operator=(const BuildingProcess&) = delete;

    void Update(float dt) override;
    Component* CreateComponent(StreamMap* parameters) override;
    void RemoveComponent(Component* component) override;
    void HandleMessage(BaseMessage* msg, u32 fromId) override;
    // Remembers every building standing now and finds which stand on which.
    virtual void BuildSpawnRecords();

    // Shapes the root around the anchored buildings and sets the maximum depth.
    void InitializeQuadtree();
    // Puts new anchored buildings into the tree and moves those that moved; force > 0 tests
    // every stored building.
    void UpdateQuadtree(float force);
    // The grab target for a robot at the object looking along the direction, or null.
    GameObject* FindBuildingToGrab(GameObject* robot, const Vector& direction);
    // The anchored buildings stored in the tree whose circle comes within the grab search's
    // radius of the point; the list is reused by the next search.
    const std::vector<BuildingComponent*>& GrabCandidates(const Vector& point);
    // Lights an objective marker on every building whose type the test accepts.
    void LightObjectives(bool (*accepts)(const std::string& type));

    // The robot's object, or null before the player component is known.
    GameObject* RobotObject() const;
    // The id of the robot's physics body (0 when unknown).
    u32 RobotPhysicsId() const;
    std::size_t BuildingCount() const { return m_buildings.size(); }
    const std::vector<BuildingComponent*>& Buildings() const { return m_buildings; }
    const std::vector<BuildingSpawnRecord>& SpawnRecords() const { return m_spawn_records; }
    std::vector<BuildingSpawnRecord>& SpawnRecords() { return m_spawn_records; }
    const Quadtree<BuildingComponent*>& Tree() const { return m_quadtree; }
    Quadtree<BuildingComponent*>& Tree() { return m_quadtree; }
    i32 OrdinaryCap() const { return m_endless ? kEndlessOrdinaryCap : kOrdinaryCap; }

    const bool m_state_flag;
    const bool m_endless;

    std::vector<BuildingComponent*> m_buildings;
    Component* m_player = nullptr;
    GameObject* m_last_created = nullptr;
    SoundInstance* m_sound_instance = nullptr;
    i32 m_ordinary_count = 0;
    i32 m_special_count = 0;
    bool m_spawning = true;
    float m_max_respawn_height = 400.0f;
    bool m_validate = false;
    bool m_quadtree_ready = false;
    std::vector<BuildingSpawnRecord> m_spawn_records;
    Quadtree<BuildingComponent*> m_quadtree;
    // The grab search's candidates, kept so their storage is reused.
    std::vector<BuildingComponent*> m_grab_candidates;

  private:
    void Reply(BaseMessage* msg, u32 toId);
    void EnsureQuadtree();
    void RemoveFinished(const std::vector<BuildingComponent*>& finished, float dt);
    void DestructionEffects(BuildingComponent* building);
    void Respawn();
    void RaiseRecord(i32 index);
    void SendPush(const Vector& center, float radius, float force, float duration, u32 excludeId,
                  u32 onlyId, u32 mode, float delay = 0.0f);
    void PlaySoundAt(const std::string& path, const Vector& at, float volume);
    void SendParticles(const std::string& name, const Vector& at, float delay = 0.0f);

    bool m_first_update = true;
};
