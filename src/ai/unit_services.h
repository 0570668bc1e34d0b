#pragma once
// What the AI needs of the subsystems it cannot include or that arrive after it: the look of a
// unit (its graphic component and particle markers), its sounds, the level's building index
// and the spawn points. The shell hands the AI process an implementation of each; without
// one the AI goes on without that service (no flash, silence, no avoidance, no spawning).
#include <string>
#include <vector>

#include "core/types.h"
#include "core/vector.h"

class Component;
class GameObject;
class MessageHandler;
class SoundInstance;
class StreamMap;

// The graphic side of a unit.
class UnitLook {
  public:
    virtual ~UnitLook() = default;
    virtual bool HasGraphic(GameObject& object) = 0;
    virtual bool RenderRed(GameObject& object) = 0;
    virtual void SetRenderRed(GameObject& object, bool red) = 0;
    virtual f32 HdrMultiplier(GameObject& object) = 0;
    virtual void SetHdrMultiplier(GameObject& object, f32 multiplier) = 0;
    virtual void SetAnimationSpeedAll(GameObject& object, f32 speed) = 0;
    // Plays the clip from its start, once; nothing when the graphic has no animations.
    virtual void PlayAnimation(GameObject& object, const std::string& clip) = 0;
    // Sends MSG_GRAPHICS_BREAK_OBJECT for the object's graphic, from sender.
    virtual void BreakObject(GameObject& object, MessageHandler& sender) = 0;
    // The tutorial's "ObjectiveSmall" particle marker on an objective unit.
    virtual void AddObjectiveMarker(GameObject& object) = 0;
    // The marker's emission and step in the menu's look or the game's.
    virtual void SetObjectiveMarkerLook(GameObject& object, bool inMenu) = 0;
    // The paused flag of the named clip in the graphic's animation map; nothing without the
    // graphic, its map or that clip.
    virtual void SetAnimationPaused(GameObject& object, const std::string& clip, bool paused) {}
    // The emission of the object's particle system component; nothing without one.
    virtual void SetEmissionPaused(GameObject& object, bool paused) {}
    // Creates the named particle systems and adds them to the object in order; a system the
    // object does not take is removed from its manager.
    virtual void AddParticleSystems(GameObject& object, const std::vector<std::string>& names) {}
};

// The body operations of the unit states: the drop of a cargo and the throw of a grabbed
// unit. Each does nothing for an object without a body.
class UnitPhysics {
  public:
    virtual ~UnitPhysics() = default;
    virtual bool HasBody(GameObject& object) = 0;
    virtual void SetGravityEnabled(GameObject& object, bool enabled) = 0;
    virtual void UnfreezeAll(GameObject& object) = 0;
    virtual void ClearBodyFlags(GameObject& object, u32 flags) = 0;
    // The sleep byte cleared and the body woken for the usual short while.
    virtual void Wake(GameObject& object) = 0;
    // The component's damping and the body's linear and angular damping.
    virtual void SetDamping(GameObject& object, f32 damping) = 0;
    virtual f32 Mass(GameObject& object) = 0;
    virtual Vector MassSpaceInertia(GameObject& object) = 0;
    // A torque in force mode that wakes the body.
    virtual void AddTorque(GameObject& object, const Vector& torque) = 0;

    // A carried object let go: gravity on, every axis free, and the body woken (placed under
    // its carrier every frame, it has fallen asleep), so it falls.
    void LetFall(GameObject& object) {
        SetGravityEnabled(object, true);
        UnfreezeAll(object);
        Wake(object);
    }
};

// The sounds of a unit's "SoundPlayer" and of instances handed out by the sound process.
class UnitAudio {
  public:
    virtual ~UnitAudio() = default;
    // Loads the sound (not streamed) through the object's sound player; false without one.
    virtual bool Preload(GameObject& object, const std::string& path) = 0;
    // Loads the sound and takes a new instance from the object's sound player; null without
    // a player or when the player gives none.
    virtual SoundInstance* PlayerInstance(GameObject& object, const std::string& path) = 0;
    virtual void Play(SoundInstance* instance, f32 volume, bool loop) = 0;
    virtual void PlayAt(SoundInstance* instance, f32 volume, const Vector& position) = 0;
};

// The level's buildings, searched by place (the building quadtree).
class BuildingIndex {
  public:
    virtual ~BuildingIndex() = default;
    // Appends the building objects of the node that holds a square of the given size around
    // centre, of that node's ancestors, then of its descendants.
    virtual void Collect(const Vector& centre, f32 size, std::vector<GameObject*>& out) const = 0;
};

// The spawn points of the level.
class SpawnPointLink {
  public:
    virtual ~SpawnPointLink() = default;
    // A spawn point from its definition stream (positioned after the header); the AI process
    // owns and deletes it.
    virtual Component* Create(const std::string& objectType, StreamMap* stream) = 0;
    virtual void Update(Component& point, float dt) = 0;
    virtual std::string SpawnTypeName(Component& point) = 0;
    virtual i32 PendingCount(Component& point) = 0;
    virtual void SetPendingCount(Component& point, i32 count) = 0;
    // The spawn point's place and its target's (the robot's).
    virtual Vector Position(Component& point) = 0;
    virtual Vector TargetPosition(Component& point) = 0;
    // Keeps the squared horizontal distance to the target found while selecting.
    virtual void StoreTargetDistance(Component& point, f32 distanceSquared) = 0;
    // The tutorial's citizen spawner spawns at once and from far away: its two spawn
    // parameters become 0.0 and 400.0.
    virtual void SetSpawnParameters(Component& point, f32 first, f32 second) = 0;
};
