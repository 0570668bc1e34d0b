#pragma once
// The level's physics (handler 9): one scene stepped once a frame between a pre-step (the
// objects' changes into the bodies) and a post-step (the bodies' poses into the objects),
// radial-force explosions, and contact and trigger reports as messages. It makes the
// "Physics" components and gives them ids from 4 on.
#include <list>
#include <memory>

#include "PhysX/physx_reports.h"
#include "PhysX/user_allocator.h"
#include "core/component_list_process.h"
#include "core/handler_ids.h"

namespace physics {
class Scene;
}
class GameObject;
class PhysXComponent;
class PhysXExplosion;

class PhysXProcess : public ComponentListProcess {
  public:
    static constexpr u32 kHandlerId = HANDLER_PHYSX_PROCESS;
    static constexpr u32 kFirstComponentId = 4;
    static constexpr float kFirstStep = 0.01f;
    static constexpr const char* kSoftwareText = "Using PhysX software simulation";
    static constexpr const char* kNoSceneText = "physics_scene NOT created";

    PhysXProcess();
    ~PhysXProcess() override;
    PhysXProcess(const PhysXProcess&) = delete;
    PhysXProcess& operator=(const PhysXProcess&) = delete;

    void Update(float dt) override;
    Component* CreateComponent(StreamMap* parameters) override;
    void RemoveComponent(Component* component) override;
    void UpdateComponent(StreamMap* parameters) override;
    void HandleMessage(BaseMessage* msg, u32 fromId) override;

    // Applies every live explosion, then ages them and drops those whose time ran out.
    void UpdateExplosions(float dt);
    void ApplyExplosion(const PhysXExplosion& explosion, float dt);

    // Null when no scene could be made.
    physics::Scene* GetScene() const { return m_scene.get(); }
    const UserAllocator& GetAllocator() const { return *m_allocator; }
    // Whether the component is one of this process's (a receiver may have released it).
    bool Holds(const Component* component) const;
    std::size_t ExplosionCount() const { return m_explosions.size(); }

  private:
    // Stands in for the character-controller manager the process keeps for the level; no
    // controller is ever made.
    struct ControllerManager {
        void PurgeControllers() {}
    };

    void SetCollidable(GameObject* a, GameObject* b, bool collidable);

    std::unique_ptr<UserAllocator> m_allocator;
    std::unique_ptr<physics::Scene> m_scene;
    std::list<PhysXExplosion*> m_explosions;
    ControllerManager m_controller_manager;
    bool m_first_frame = true;
    PhysXContactReport m_contact_report;
    PhysXTriggerCallback m_trigger_report;
    u32 m_last_id = kFirstComponentId - 1;
    std::list<GameObject*> m_listeners;
};
