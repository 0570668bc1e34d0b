#pragma once
// What the robot's hand needs of an object it can pick up and throw, beyond its body: the
// mark that it is held (neither aged, retired nor damaged by the holding) and its release,
// with the lifetime left to a thrown projectile and whether it should make no more pushes.
// The components that carry it live in a layer above the robot.
class Holdable {
  public:
    virtual ~Holdable() = default;
    virtual void SetHeld() = 0;
    virtual void SetThrown(float lifetime, bool spent) = 0;
};
