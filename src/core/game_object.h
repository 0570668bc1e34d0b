#pragma once
// An object of the world or of a menu screen: components grouped by type, an embedded
// router at which they are registered under the object's id, a transform, its type name,
// per-instance parameters, optional bounds and an optional parent and children. Game
// states create and own game objects; components are updated by their processes.

#include <string>
#include <unordered_map>
#include <vector>

#include "core/bounds.h"
#include "core/entity.h"
#include "core/matrix.h"
#include "core/memory_allocator.h"
#include "core/message_router.h"
#include "core/quaternion.h"
#include "core/stream_map.h"
#include "core/types.h"
#include "core/vector.h"

class Component;

class GameObject : public Entity, public Allocator<GameObject> {
  public:
    // Receives the text of a fault the object reports (a component without a process at
    // destruction). The shell points it at its message box; the default writes to stderr.
    using ReportFunction = void (*)(const char* text);
    static void SetReporter(ReportFunction reporter);
    static constexpr const char* kNoProcessText =
        "A component was removed which had no component process attached to it";

    // Whether address is a GameObject that exists now. Scripts hand objects back as bare
    // addresses, so the script host checks them here before it uses one.
    static bool IsLive(const void* address);
    // How many objects have been destroyed so far. An object found live while the count
    // stood at n is live as long as the count stays n, so a holder that checks often need
    // look it up again only when the count has moved.
    static u64 Destructions();
    // The live object whose orientation is at address, or null.
    static GameObject* OwnerOfOrientation(const void* address);

    explicit GameObject(const std::string& name);
    // Hands every component back to its process, deletes the bounds and detaches the
    // object from its parent and children.
    ~GameObject() override;
    // A copy would share components and handlers and later hand them back twice; copy
    // the transform instead.
    GameObject(const GameObject&) = delete;
    GameObject& operator=(const GameObject&) = delete;

    void Update(float) override {}
    virtual void AddComponent(u32 type, Component* component);
    Component* GetComponent(u32 type) const;
    // With destroy the component is handed to its process, which deletes it.
    void RemoveComponent(Component* component, bool destroy);

    void InitializeComponents();
    void NotifyComponents();

    // Adds the velocity change v to the object's physics body; nothing without one.
    void MovePhysics(const Vector& v);
    void SetPosition(const Vector& v);
    void SetVelocity(const Vector& v);
    void SetScale(const Vector& v);
    void SetOrientation(const Quaternion& q);
    void SetOrientation(const float* xyzw);

    // Takes ownership; a previous one is deleted.
    void SetBoundingBox(BoundingBox* box);
    void SetBoundingSphere(BoundingSphere* sphere);

    void SetRouterParent(MessageRouter* parent);
    void RemoveChildObject(GameObject* child);

    std::unordered_map<u32, std::vector<Component*>> components;
    MessageRouter router;
    Vector position;
    Vector lastPosition;
    Vector velocity;
    Vector scale;
    Vector extraVector;
    Quaternion orientation;
    Quaternion lastOrientation;
    // Offset from the parent in the parent's frame, and the turn relative to the parent:
    // what a skeleton joint sets before it places the object.
    Vector m_local_position;
    Quaternion m_local_rotation;
    Matrix world;
    Matrix extraMatrix;
    u32 id = 0;
    GameObject* parentObject = nullptr;
    std::vector<GameObject*> childObjects;
    std::string name;
    StreamMap parameters;
    bool orientationChanged = false;
    bool velocityChanged = false;
    bool positionChanged = false;
    BoundingBox* boundingBox = nullptr;
    BoundingSphere* boundingSphere = nullptr;
};
