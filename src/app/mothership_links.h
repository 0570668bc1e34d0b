#pragma once
// The mothership's reach into the player and the audio: the gun's blast hurts the robot
// through its "Player" component, and the gun's sounds go through the sound process's
// instance control.
class MothershipLinks;

// One stateless service shared by every level.
MothershipLinks* LevelMothershipLinks();
