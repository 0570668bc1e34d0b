#pragma once
// The "AIView" component: an enemy unit, boss part or citizen driven by the AI, and the
// unit's blackboard, which its state machine, states and movement model read and write
// directly. Unit kinds are told apart by the owner's object type name.
#include <list>
#include <string>

#include "core/definition_component.h"
#include "core/memory_allocator.h"
#include "core/stream_map.h"
#include "core/types.h"
#include "core/vector.h"

class AI_Movement;
class AIViewProcess;
class GameObject;
class SoundInstance;
class StateMachine;

class AIViewComponent : public DefinitionComponent, public Allocator<AIViewComponent> {
  public:
    // Keeps a copy of the definition stream; Initialize reads it.
    AIViewComponent(const std::string& objectType, const StreamMap& stream);
    explicit AIViewComponent(const std::string& objectType);
    ~AIViewComponent() override;
    AIViewComponent(const AIViewComponent&) = delete;
    AIViewComponent& operator=(const AIViewComponent&) = delete;

    void Initialize() override;
    void Update(float dt) override;
    void HandleMessage(BaseMessage* msg, u32 fromId) override;

    void UpdateHitFlash(float dt);
    void UpdateDistanceRules();
    void TakeDamage(i32 amount);
    // Marks the unit finished unless it is held or is the UFO boss.
    void Expire();
    // Deletes the beam objects of the unit's laser weapons and forgets them.
    void RemoveLaserBeams();

    // The unit's own type name (its object's, or the definition's before it has one).
    const std::string& Name() const;
    // Whether the current state is the unit's state of that id.
    bool InState(i32 id) const;
    // Switches to the unit's state of that id; keeps the current one when the unit lacks it.
    void ChangeTo(i32 id);
    AIViewProcess* Process() const;

    StateMachine* m_stateMachine = nullptr;
    AI_Movement* m_movement = nullptr;
    GameObject* m_object = nullptr;
    GameObject* m_target = nullptr;
    GameObject* m_createdObject = nullptr;
    std::list<Vector> m_waypoints;
    f32 m_range = 0.0f;
    f32 m_aimCosine = 0.0f;
    f32 m_seekGain = 0.0f;
    f32 m_headingGain = 0.0f;
    f32 m_avoidGain = 0.0f;
    f32 m_weaponTimer = 0.0f;
    f32 m_speed = 0.0f;
    f32 m_baseSpeed = 0.0f;
    i32 m_maxHealth = 0;
    i32 m_health = 0;
    bool m_movementOn = false;
    bool m_arrivalNotify = false;
    bool m_expired = false;
    i32 m_reverse = 0;
    StreamMap m_stream;
    bool m_lifetimeOn = false;
    f32 m_lifetime = 0.5f;
    f32 m_laserGlow = 1.0f;
    bool m_lineClear = true;
    f32 m_age = 0.5f;
    SoundInstance* m_soundInstance = nullptr;
    f32 m_timeSinceHit = 0.201f;
    f32 m_hitCooldown = 0.201f;
    // Which units push each other apart, from the type name once it is known: bit 0 ground
    // units other than the plain citizen, bit 1 flyers. Two units push when they share a bit.
    u8 m_separation_class = 0;

  private:
    void OnSeekArrival();
    void OnLaser();
    void OnObjectCreated(GameObject* created);
    void OnCollision(BaseMessage* msg);
    void OnForce();
    void CycleWaypoints();
    void ToggleDeathLook();
    // The sign of a hit on the look: glow raised by step and copied to the graphic.
    void RaiseGlow(f32 step);
};
