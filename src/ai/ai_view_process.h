#pragma once
// The level's enemy AI (handler 12): owns the units ("AIView") and spawn points
// ("SpawnPoint"), updates them each frame, removes the expired units with their death
// effects, answers the robot's target queries and hands the game logic's spawn orders to the
// spawn points. MSG_DISABLE_AI toggles it off and on; while off its components are not
// updated, which the level uses to keep the AI still during a one-off update.
#include <string>
#include <utility>
#include <vector>

#include "ai/level_links.h"
#include "city/spawn_point_component.h"
#include "core/component_list_process.h"
#include "core/handler_ids.h"
#include "core/types.h"
#include "core/vector.h"
#include "game/spawn_struct.h"

class AIViewComponent;
class BuildingIndex;
class GameObject;
class SoundInstance;
class SpawnPointLink;
class UnitAudio;
class UnitLook;
class UnitPhysics;

class AIViewProcess : public ComponentListProcess, public SpawnPointHost {
  public:
    static constexpr u32 kHandlerId = HANDLER_AI_VIEW_PROCESS;

    explicit AIViewProcess(bool tutorial) : m_tutorial(tutorial) {}
    ~AIViewProcess() override = default;
    AIViewProcess(const AIViewProcess&) = delete;
    AIViewProcess& operator=(const AIViewProcess&) = delete;

    void Update(float dt) override;
    void Initialize() override;
    void HandleMessage(BaseMessage* msg, u32 fromId) override;
    Component* CreateComponent(StreamMap* parameters) override;
    void RemoveComponent(Component* component) override;

    std::vector<Component*> SelectSpawnPoints(SpawnStruct& s);
    GameObject* GetPlayerObject() const;
    // The player the spawn points keep their distance to.
    GameObject* SpawnPlayer() const override { return GetPlayerObject(); }

    // The services of the subsystems above the AI; each may be null.
    void SetServices(UnitLook* look, UnitAudio* audio, SpawnPointLink* spawnPoints) {
        m_look = look;
        m_audio = audio;
        m_spawn_link = spawnPoints;
    }
    // The body operations of the states; the physics components' own unless replaced.
    void SetPhysics(UnitPhysics* physics) { m_physics = physics; }
    UnitPhysics* Physics() const;
    UnitLook* Look() const { return m_look; }
    UnitAudio* Audio() const { return m_audio; }
    SpawnPointLink* SpawnPoints() const { return m_spawn_link; }

    // Asks the sound process for an instance of path (MSG_GET_SOUND_INSTANCE); null when
    // none came back.
    SoundInstance* RequestSoundInstance(const std::string& path);

    bool IsDisabled() const { return !m_active; }

    bool m_active = true;
    bool m_ufoShield = true;
    bool m_endlessMode = false;
    Component* m_player = nullptr;
    std::vector<AIViewComponent*> m_units;
    std::vector<AIViewComponent*> m_dead;
    std::vector<Component*> m_spawnPoints;
    SoundInstance* m_soundInstance = nullptr;
    GameObject* m_createdObject = nullptr;
    BuildingIndex* m_buildings = nullptr;
    const bool m_tutorial;

  private:
    enum class Query { Laser, Grab, Throw };

    void HandleDead(AIViewComponent* unit);
    void PlayDeathEffect(AIViewComponent* unit, const std::string& name, GameObject* obj);
    void PlayDeathSound(AIViewComponent* unit, const std::string& name, GameObject* obj);
    GameObject* FindTarget(Query query, const std::pair<GameObject*, Vector>& request);
    bool SkippedBy(Query query, AIViewComponent* unit) const;
    bool LineClear(AIViewComponent* unit, const Vector& eye, const Vector& toUnit, f32 dist);
    void SpawnAgents(SpawnStruct s);
    void ForwardToObject(BaseMessage* msg, u32 type);
    void CreateParticleSystem(const std::string& name, const Vector& position);

    bool m_initialize_pending = true;
    UnitLook* m_look = nullptr;
    UnitAudio* m_audio = nullptr;
    SpawnPointLink* m_spawn_link = nullptr;
    UnitPhysics* m_physics = nullptr;
    // The building process's quadtree as the index the queries and movement search.
    QuadtreeBuildingIndex m_quadtree_index;
};
