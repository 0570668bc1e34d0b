#include "core/game_object.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <unordered_set>

#include "core/component.h"
#include "core/component_type.h"
#include "core/physics_body.h"
#include "core/process.h"

namespace {

void ReportToStderr(const char* text) {
    std::fprintf(stderr, "%s\n", text);
}

// Set by the shell on the main thread, read wherever an object is destroyed.
std::atomic<GameObject::ReportFunction> g_reporter{ReportToStderr};

// Every object between its construction and destruction; the loader thread creates
// objects while the main thread's scripts look them up.
std::mutex g_liveLock;
std::unordered_set<const void*> g_live;
// Raised under the lock as each object leaves g_live.
std::atomic<u64> g_destructions{0};
// Where an object's orientation sits within it; the same for every object.
std::ptrdiff_t g_orientationOffset = 0;

} // namespace

void GameObject::SetReporter(ReportFunction reporter) {
    g_reporter = reporter != nullptr ? reporter : ReportToStderr;
}

u64 GameObject::Destructions() {
    return g_destructions.load(std::memory_order_acquire);
}

bool GameObject::IsLive(const void* address) {
    const std::lock_guard<std::mutex> lock(g_liveLock);
    return address != nullptr && g_live.count(address) != 0;
}

GameObject* GameObject::OwnerOfOrientation(const void* address) {
    if (address == nullptr) {
        return nullptr;
    }
    const std::lock_guard<std::mutex> lock(g_liveLock);
    // Only compared until the set says an object lives there.
    const auto candidate = reinterpret_cast<std::uintptr_t>(address) -
                           static_cast<std::uintptr_t>(g_orientationOffset);
    const void* const at = reinterpret_cast<const void*>(candidate);
    if (g_live.count(at) == 0) {
        return nullptr;
    }
    auto* const object = const_cast<GameObject*>(static_cast<const GameObject*>(at));
    return &object->orientation == address ? object : nullptr;
}

GameObject::GameObject(const std::string& name)
    : router(nullptr), position(0.0f, 0.0f, 0.0f), lastPosition(0.0f, 0.0f, 0.0f),
      velocity(0.0f, 0.0f, 0.0f), scale(1.0f, 1.0f, 1.0f), extraVector(0.0f, 0.0f, 0.0f),
      name(name), parameters(StreamMap::kDefaultCapacity) {
    for (Quaternion* q : {&orientation, &lastOrientation}) {
        q->x = 0.0f;
        q->y = 0.0f;
        q->z = 0.0f;
        q->w = 1.0f;
    }
    const std::lock_guard<std::mutex> lock(g_liveLock);
    g_orientationOffset =
        reinterpret_cast<const char*>(&orientation) - reinterpret_cast<const char*>(this);
    g_live.insert(this);
}

GameObject::~GameObject() {
    {
        const std::lock_guard<std::mutex> lock(g_liveLock);
        g_live.erase(this);
        g_destructions.fetch_add(1, std::memory_order_release);
    }
    // Each component leaves the table as it is handed back, so a process that looks at
    // this object while deleting one never finds a component that is already gone.
    while (!components.empty()) {
        RemoveComponent(components.begin()->second.front(), true);
    }
    delete boundingBox;
    boundingBox = nullptr;
    delete boundingSphere;
    boundingSphere = nullptr;
    for (GameObject* child : childObjects) {
        child->parentObject = nullptr;
    }
    childObjects.clear();
    if (parentObject != nullptr) {
        parentObject->RemoveChildObject(this);
        parentObject = nullptr;
    }
}

void GameObject::AddComponent(u32 type, Component* component) {
    if (component == nullptr) {
        return;
    }
    std::vector<Component*>& list = components[type];
    if (!list.empty()) {
        list.back()->nextOfType = component;
    }
    component->nextOfType = nullptr;
    list.push_back(component);
    component->owner = this;
    component->router = &router;
    component->id = id;
    router.RegisterHandler(id, component);
}

Component* GameObject::GetComponent(u32 type) const {
    const auto found = components.find(type);
    if (found == components.end() || found->second.empty()) {
        return nullptr;
    }
    return found->second.front();
}

void GameObject::RemoveComponent(Component* component, bool destroy) {
    if (component == nullptr) {
        return;
    }
    for (auto it = components.begin(); it != components.end(); ++it) {
        std::vector<Component*>& list = it->second;
        const auto at = std::find(list.begin(), list.end(), component);
        if (at == list.end()) {
            continue;
        }
        // Everything that points at the component goes before its process deletes it.
        router.RemoveHandler(component);
        if (at != list.begin()) {
            (*(at - 1))->nextOfType = component->nextOfType;
        }
        component->nextOfType = nullptr;
        list.erase(at);
        if (list.empty()) {
            components.erase(it);
        }
        if (destroy) {
            if (component->process != nullptr) {
                component->process->RemoveComponent(component);
            } else {
                g_reporter.load()(kNoProcessText);
            }
        }
        return;
    }
}

namespace {

// Components may add or remove components of their object from Initialize or Finalize,
// so the calls walk a copy and skip whatever has left the object in the meantime.
template <class Call>
void ForEachComponent(const std::unordered_map<u32, std::vector<Component*>>& components,
                      Call call) {
    std::vector<std::pair<u32, Component*>> order;
    for (const auto& [type, list] : components) {
        for (Component* component : list) {
            order.emplace_back(type, component);
        }
    }
    for (const auto& [type, component] : order) {
        const auto found = components.find(type);
        if (found != components.end() && std::find(found->second.begin(), found->second.end(),
                                                   component) != found->second.end()) {
            call(component);
        }
    }
}

} // namespace

void GameObject::InitializeComponents() {
    ForEachComponent(components, [](Component* c) { c->Initialize(); });
}

void GameObject::NotifyComponents() {
    ForEachComponent(components, [](Component* c) { c->Finalize(); });
}

void GameObject::MovePhysics(const Vector& v) {
    if (auto* body = dynamic_cast<PhysicsBody*>(GetComponent(ComponentType::Physics))) {
        body->Move(v);
    }
}

void GameObject::SetPosition(const Vector& v) {
    position.x = v.x;
    position.y = v.y;
    position.z = v.z;
    positionChanged = true;
}

void GameObject::SetVelocity(const Vector& v) {
    velocity.x = v.x;
    velocity.y = v.y;
    velocity.z = v.z;
    velocityChanged = true;
}

void GameObject::SetScale(const Vector& v) {
    scale.x = v.x;
    scale.y = v.y;
    scale.z = v.z;
}

void GameObject::SetOrientation(const Quaternion& q) {
    const float xyzw[4] = {q.x, q.y, q.z, q.w};
    SetOrientation(xyzw);
}

void GameObject::SetOrientation(const float* xyzw) {
    orientation.x = xyzw[0];
    orientation.y = xyzw[1];
    orientation.z = xyzw[2];
    orientation.w = xyzw[3];
    orientationChanged = true;
}

void GameObject::SetBoundingBox(BoundingBox* box) {
    if (box != boundingBox) {
        delete boundingBox;
        boundingBox = box;
    }
}

void GameObject::SetBoundingSphere(BoundingSphere* sphere) {
    if (sphere != boundingSphere) {
        delete boundingSphere;
        boundingSphere = sphere;
    }
}

void GameObject::SetRouterParent(MessageRouter* parent) {
    router.SetParent(parent);
    router.AttachToParent();
}

void GameObject::RemoveChildObject(GameObject* child) {
    const auto at = std::find(childObjects.begin(), childObjects.end(), child);
    if (at != childObjects.end()) {
        childObjects.erase(at);
    }
}
