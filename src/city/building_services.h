#pragma once
// What buildings need from subsystems above the city (the renderer's graphic and particle
// components, lights, sound players, the AI's state machines). The shell installs the real
// ones; until then, and in tests, the defaults stand in: no graphic, nothing thrown, no
// sound. Every call names the game object whose component is meant.
#include <string>

#include "core/types.h"
#include "core/vector.h"

class GameObject;
class GraphicComponent;
class SoundInstance;

class BuildingServices {
  public:
    virtual ~BuildingServices() = default;

    // The installed services; never null.
    static BuildingServices& Get();
    // Null restores the defaults. The caller keeps ownership.
    static void Install(BuildingServices* services);

    // Whether an enemy unit's state machine is in its thrown state (the robot threw it).
    virtual bool IsUnitThrown(GameObject* /*unit*/) { return false; }

    // The graphic component (null without one), its anchored flag, the minimum and
    // maximum corners of its mesh's bounding box, and its damage shade.
    virtual GraphicComponent* Graphic(GameObject* /*object*/) { return nullptr; }
    virtual bool HasGraphic(GameObject* object) { return Graphic(object) != nullptr; }
    virtual bool IsGraphicAnchored(GameObject* /*object*/) { return true; }
    virtual bool GetMeshBounds(GameObject* /*object*/, Vector* /*min*/, Vector* /*max*/) {
        return false;
    }
    virtual void SetDamageShade(GameObject* /*object*/, float /*shade*/) {}

    // Switches off every light of the object, its lit windows too.
    virtual void SwitchOffLights(GameObject* /*object*/) {}

    // Loads (and so caches) a sound through the sound process.
    virtual void PreloadSound(const std::string& /*path*/) {}
    // Plays an instance the sound process handed out, once, at a place and volume.
    virtual void PlayInstanceAt(SoundInstance* /*instance*/, const Vector& /*at*/,
                                float /*volume*/) {}
    // The particle system manager's nuke explosion.
    virtual void NukeExplosion(const Vector& /*at*/) {}

    // The sound player: whether there is one, and one play of the path at a volume.
    virtual bool HasSoundPlayer(GameObject* /*object*/) { return false; }
    virtual void PlaySound(GameObject* /*object*/, const std::string& /*path*/, float /*volume*/) {}

    // The objective marker (a particle system named "Objective") of the object.
    virtual bool HasObjectiveMarker(GameObject* /*object*/) { return false; }
    // Adds a new live marker to the object.
    virtual void AddObjectiveMarker(GameObject* /*object*/) {}
    // Takes the marker off the object and destroys it.
    virtual void RemoveObjectiveMarker(GameObject* /*object*/) {}
    // Places the marker at an offset from the object and advances it a moment (0.0001 s) so
    // that the new place takes at once.
    virtual void SetObjectiveOffset(GameObject* /*object*/, const Vector& /*offset*/) {}
    // Sets the marker's lifetime range and advances it by dt.
    virtual void SetObjectiveLife(GameObject* /*object*/, float /*life*/, float /*dt*/) {}
    // The marker fades out: final colour (1, 1, 1, 0), lifetime 2, advanced by dt.
    virtual void FadeObjectiveMarker(GameObject* /*object*/, float /*dt*/) {}
};
