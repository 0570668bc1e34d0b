#pragma once
// What the robot needs of its sound player: a sound file played once at a volume. The audio
// layer sits above the robot, so the robot sees its SoundPlayer only through this.
#include <string>

class SoundCue {
  public:
    virtual ~SoundCue() = default;
    virtual void PlayOnce(const std::string& path, float volume) = 0;
};
