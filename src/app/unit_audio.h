#pragma once
// The AI's sounds through the audio subsystem: a unit's "SoundPlayer" and the instances the
// sound process hands out.
class UnitAudio;

// One stateless service shared by every level.
UnitAudio* SoundPlayerUnitAudio();
