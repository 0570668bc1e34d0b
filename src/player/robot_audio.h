#pragma once
// What the robot needs of the audio subsystem beyond one-off sounds (those go through its
// SoundPlayer's SoundCue): loading its sounds ahead of their first play and starting the
// engine hum that loops for the robot's whole life. The audio layer sits above the robot, so
// the shell hands the player process an implementation; without one the robot stays silent.
#include <string>

#include "core/types.h"

class GameObject;

class RobotAudio {
  public:
    virtual ~RobotAudio() = default;
    // Loads the sound (not streamed) into the sound cache through the object's sound player;
    // false without a player.
    virtual bool Preload(GameObject& object, const std::string& path) = 0;
    // Takes an instance of the sound from the object's sound player, puts it in the sound
    // group and plays it looping at the volume; nothing without a player or an instance.
    virtual void PlayLooping(GameObject& object, const std::string& path, f32 volume,
                             u32 group) = 0;
};
