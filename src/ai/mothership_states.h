#pragma once
// The mothership boss: the base's states (spawn, entry, attack, death) and its parts'
// (hatches, turrets, the main gun and its core). The base drives the whole boss; the parts
// find each other through one registry filled from the base's child list, so one mothership
// exists at a time and the family keeps its shared values here.
#include <memory>
#include <string>
#include <vector>

#include "core/types.h"
#include "core/vector.h"

class BeamMesh;
class GameObject;
class SoundControl;
class State;

// What the boss needs of the subsystems above the AI. The shell installs an implementation;
// without one the robot takes no blast damage, the turrets do not fire and the gun is silent.
class MothershipLinks {
  public:
    virtual ~MothershipLinks() = default;
    // Hurts the robot through its "Player" component; false when it has none.
    virtual bool DamageRobot(GameObject& robot, f32 amount) { return false; }
    // One step of the flying units' pulse weapon for the turret's state, with its timer.
    virtual void FireLaserPulse(State& turret, f32& threshold) {}
    // What the gun and the death sequence may do with the sound instances they are handed.
    virtual SoundControl* Sounds() { return nullptr; }
};
// Not owned; null puts back the do-nothing links.
void SetMothershipLinks(MothershipLinks* links);

// Registry indices of the parts, in the order the creator hangs them on the base.
inline constexpr u32 kMothershipGunIndex = 0;
inline constexpr u32 kMothershipCoreIndex = 1;
inline constexpr u32 kMothershipFirstTurret = 2;
inline constexpr u32 kMothershipFirstHatch = 8;
inline constexpr u32 kMothershipPartCount = 20;
inline constexpr u32 kMothershipTubeCount = 6;

// The family's shared values.
extern std::vector<GameObject*> g_mothershipParts;
extern bool g_mothershipInactive;
extern f32 g_entryStartZ;
extern std::vector<std::unique_ptr<BeamMesh>> g_tubeBeams;
extern f32 g_hatchSpawnRate;
extern f32 g_bfgPower;
extern f32 g_deathTime;
extern f32 g_explosionRadius;
extern Vector g_explosionCentreOffset;
extern f32 g_fireClock;
extern f32 g_fireAllowance;
extern f32 g_smokeClock;
extern f32 g_smokeAllowance;
extern f32 g_sinkSpeed;
// Whether the end of the death sequence's first stage has run.
extern bool g_firstStageEnded;

// Back to the values of program start: no boss, no tubes, no held sound.
void ResetMothershipFamily();

void PruneMothershipParts(GameObject* base);
void PlaceMothershipParts(GameObject* base);
void UpdateMothershipTurrets(float dt, GameObject* target);
void KillMothershipParts(const std::string& typeName);
// The base's turn of one frame about the world's up.
void TurnMothership(GameObject& base, f32 step);

// Registers the eight classes under their ids and resets the family (a level is starting).
void RegisterMothershipStates();
