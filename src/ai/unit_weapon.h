#pragma once
// The one weapon routine of the ground and air units: by the unit's type name it decides
// whether a shot is due, shows the tank's firing clip or plays the shot's sound, and asks the
// level for the projectile.
class State;

// shootAnimPlayed is the calling state's shot flag; weaponTimer the unit's m_weaponTimer.
void FireUnitWeapon(bool* shootAnimPlayed, State* state, float* weaponTimer);
