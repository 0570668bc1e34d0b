#pragma once
// The robot's sounds: the files it loads up front, the engine hum, and the one-off sounds its
// parts play when they hit something. One-off sounds go through the SoundCue of the robot's
// SoundPlayer; loading and the hum through the RobotAudio the shell gave the player process.
#include <string>

#include "core/types.h"

class Component;
class GameObject;
class RobotAudio;

namespace robot_sounds {

inline constexpr const char* kPunch = "./assets/sound fx/punch.mp3";
inline constexpr const char* kWalk = "./assets/sound fx/walk.mp3";
inline constexpr const char* kHum = "./assets/sound fx/hum.mp3";
inline constexpr const char* kLaser = "./assets/sound fx/laser.mp3";
inline constexpr const char* kPunchImpact = "assets/sound fx/punch_impact.mp3";
inline constexpr const char* kElectricalExplosion = "assets/sound fx/electrical_explosion.mp3";
inline constexpr f32 kHumVolume = 0.25f;
inline constexpr f32 kPunchImpactVolume = 0.9f;
inline constexpr f32 kElectricalExplosionVolume = 0.4f;
// The group of the game's sound effects, whose volume the sound options set.
inline constexpr u32 kEffectsGroup = 0;

// With a sound player on the robot and an audio service: loads the punch, step, hum and
// laser sounds.
void Preload(RobotAudio* audio, GameObject& robot, Component* soundPlayer);
// With the same: starts the hum looping in the effects group.
void StartHum(RobotAudio* audio, GameObject& robot, Component* soundPlayer);

// Plays the sound once on the sound player, when it has one and it can play one-off sounds.
void PlayOnce(Component* soundPlayer, const std::string& path, f32 volume);

// The robot's sound player: the SoundPlayer component of the robot object, or null.
Component* SoundPlayerOf(GameObject* robot);

// Whether a punching arm hitting the other object makes the impact sound: the other is a
// standing (not loose) building, the part is an arm, and that arm's punch is releasing or
// at rest.
bool PunchImpact(const GameObject& other, const std::string& partType, i32 rightPhase,
                 i32 leftPhase);

} // namespace robot_sounds
