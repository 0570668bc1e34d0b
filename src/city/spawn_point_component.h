#pragma once
// The "SpawnPoint" component: a place where enemies and citizens enter the level. The AI
// process creates and updates it and assigns it units (m_pending); the point creates them
// one at a time, out of the player's sight and not too close, gives them back when the
// player is far away, and places each new object when the level reports it created.
#include <string>

#include "core/definition_component.h"
#include "core/memory_allocator.h"

class GameObject;
class StreamMap;

// Implemented by the process that owns spawn points: the player they keep their distance to.
class SpawnPointHost {
  public:
    virtual ~SpawnPointHost() = default;
    virtual GameObject* SpawnPlayer() const = 0;
};

class SpawnPointComponent : public DefinitionComponent, public Allocator<SpawnPointComponent> {
  public:
    // Beyond this squared distance from the player the point gives its units back (605²).
    static constexpr f32 kGiveBackDistanceSq = 366025.0f;
    static constexpr f32 kStartTimer = 6.0f;
    // Within 60 degrees in front of the player a point does not spawn.
    static constexpr f32 kSightCosine = 0.5f;

    using DefinitionComponent::DefinitionComponent;
    // With the parameters that follow the header: type name, interval, pending count,
    // minimum distance and one more number.
    SpawnPointComponent(const std::string& objectType, StreamMap* parameters);

    // Reads the parameters in that order; what is missing keeps its value.
    void ReadParameters(StreamMap* parameters);
    // The player of the owning process, when it tells one.
    void Initialize() override;
    void Update(float dt) override;
    // MSG_LEVEL_OBJECT_CREATED: the object this point asked for.
    void HandleMessage(BaseMessage* msg, u32 fromId) override;
    void Place(GameObject* object) const;

    bool m_enabled = true;
    bool m_needsInit = true;
    std::string m_typeName;
    i32 m_pending = 0;
    f32 m_timer = kStartTimer;
    f32 m_interval = 0.0f;
    f32 m_minDistance = 0.0f;
    f32 m_extra = 0.0f;
    f32 m_distanceSq = 0.0f;
    GameObject* m_player = nullptr;

  private:
    void Send(BaseMessage* msg, u32 toId) const;
};
