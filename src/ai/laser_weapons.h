#pragma once
// The lasers of the flying units: bursts of pulses (projectiles the level makes and the bullet
// process flies) and sweeping beams the calling state keeps alive for 0.4 s in its machine's
// beam list, which hurt the robot when the tip passes it and push bodies along their way.
// Every operation does nothing for a state outside a machine or a unit without an object.
#include "core/types.h"
#include "core/vector.h"

class GameObject;
class State;
struct BeamRecord;

inline constexpr const char* kLaserSoundPath = "./assets/sound fx/laser.mp3";
// How long a beam sweeps from its origin to its end, and the beam's drawn width.
inline constexpr f32 kBeamLife = 0.4f;
inline constexpr f32 kBeamWidth = 12.0f;

// What the lasers and the flying units do to bodies the AI does not own: the robot's damage
// and a unit's collisions. The defaults act on the player and physics components; tests
// install a recorder.
class FlyerServices {
  public:
    virtual ~FlyerServices() = default;
    // The robot's Player component takes a hit; nothing without one.
    virtual void DamageRobot(GameObject& robot, f32 amount);
    // Nothing for an object without a physics component.
    virtual void SetCollisionEnabled(GameObject& object, bool enabled);
};

// The installed services, or the defaults.
FlyerServices* Flyers();
// Null puts the defaults back.
void SetFlyerServices(FlyerServices* services);

// Fires the next pulse of the unit's burst once the unit's weapon timer has passed the
// state's pulse timer, and steps the burst on.
void FireLaserPulse(State& state, f32& pulseTimer);
// Starts a beam from under the unit to the ground by the robot; the state's beam timer keeps
// half of what it ran past the interval.
void FireLaserBeam(State& state, f32 interval, f32 spreadBase);
// Ages the unit's beams: hit tests once when due, ends them after their sweep.
void AdvanceLaserBeams(State& state, float dt);
// Sends the beam's current origin and end to the renderer.
void UpdateLaserBeamGraphic(State& state, const BeamRecord& beam);
// Deletes every beam of the unit at once.
void RemoveLaserBeams(State& state);

// Where a beam from origin toward target meets the ground (y = 0), and when its tip, sweeping
// there in kBeamLife, passes the target. A line that never descends ends at twice the
// distance to the target, passed halfway.
struct BeamAim {
    Vector m_end;
    f32 m_hit_delay;
};
BeamAim AimBeam(const Vector& origin, const Vector& target);
