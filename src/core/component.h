#pragma once
// One part of a game object. A component is registered at its owner's router under the
// owner's id, is created and destroyed by its ComponentProcess, and is never deleted by
// the object that holds it.

#include "core/entity.h"
#include "core/message_handler.h"

class ComponentProcess;
class GameObject;

class Component : public Entity, public MessageHandler {
  public:
    ~Component() override = default;
    void Update(float dt) override = 0;
    // Runs once the owning object has all its components.
    virtual void Initialize() {}
    // Runs after the owner's transform or per-object parameters changed, so components
    // that keep copies of them rebuild themselves.
    virtual void Finalize() {}
    void HandleMessage(BaseMessage*, u32) override {}

    GameObject* owner = nullptr;
    ComponentProcess* process = nullptr;
    // The next component of the same type on the same owner.
    Component* nextOfType = nullptr;
};
