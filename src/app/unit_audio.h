#pragma once
// The AI's sounds through the audio subsystem: a unit's "SoundPlayer" and the instances the
// sound process hands out.
class UnitAudio;

class RobotAudio;

// One stateless service shared by every level.
UnitAudio* SoundPlayerUnitAudio();
// The robot's sounds through the same service: its preloads and its looping hum.
RobotAudio* SoundPlayerRobotAudio();
