#pragma once
// Composite objects (the robot, the mothership) are a base object with parts hung under it.

class AnimationProcess;
class GameObject;
class Skeleton;

// The part becomes a child of the base, its joint (with a skeleton) joins the skeleton, its
// components hear of the change and it moves with the base's physics body. A null part is
// left alone.
void AttachPart(GameObject* base, GameObject* part, AnimationProcess* animation = nullptr,
                Skeleton* skeleton = nullptr);
