#pragma once
// A headless level with the physics process: a router, handler 9, and objects made from
// "Physics" records the way the level makes them (create, add, initialise, notify).
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "PhysX/physx_component.h"
#include "PhysX/physx_process.h"
#include "core/component_type.h"
#include "core/game_object.h"
#include "core/handler_ids.h"
#include "core/message_router.h"
#include "core/stream_map.h"
#include "support/component_fixture.h"

namespace physics_level {

// The values of a "Physics" record after its header; count < 8 cuts the record short.
struct Record {
    bool sleeping = false;
    float massDivisor = 1.0f;
    float reserved = 0.0f;
    float damping = 0.0f;
    float radius = 1.0f;
    Vector extents = Vector(1.0f, 1.0f, 1.0f);
    std::string mesh = "false";
    int count = 8;
};

inline StreamMap PhysicsStream(const std::string& objectType, const Record& r) {
    StreamMap stream;
    stream.AddString("Object Type", objectType);
    stream.AddString("Component Type", "Physics");
    const int n = r.count;
    if (n > 0)
        stream.AddBool("Sleeping", r.sleeping);
    if (n > 1)
        stream.AddFloat("Mass", r.massDivisor);
    if (n > 2)
        stream.AddFloat("Reserved", r.reserved);
    if (n > 3)
        stream.AddFloat("Damping", r.damping);
    if (n > 4)
        stream.AddVector3("Unused", 0.0f, 0.0f, 0.0f);
    if (n > 5)
        stream.AddFloat("Radius", r.radius);
    if (n > 6)
        stream.AddVector3("OBB.e", r.extents.x, r.extents.y, r.extents.z);
    if (n > 7)
        stream.AddString("Collision Mesh", r.mesh);
    return stream;
}

class Level : public ::testing::Test {
  protected:
    Level() { process->Bind(&root, PhysXProcess::kHandlerId); }
    ~Level() override {
        objects.clear();
        process.reset();
    }

    // An object of the type with a "Physics" component, its body made.
    GameObject* Make(const std::string& type, const Record& record = {},
                     const Vector& position = Vector(0.0f, 0.0f, 0.0f),
                     const Vector& scale = Vector(1.0f, 1.0f, 1.0f)) {
        auto object = std::make_unique<GameObject>(type);
        object->id = nextId++;
        object->SetRouterParent(&root);
        object->SetPosition(position);
        object->positionChanged = false;
        object->SetScale(scale);
        StreamMap stream = PhysicsStream(type, record);
        Component* made = process->CreateComponent(&stream);
        object->AddComponent(ComponentType::Physics, made);
        object->InitializeComponents();
        object->NotifyComponents();
        objects.push_back(std::move(object));
        return objects.back().get();
    }

    static PhysXComponent* Body(const GameObject* object) {
        return dynamic_cast<PhysXComponent*>(object->GetComponent(ComponentType::Physics));
    }

    // Records what reaches the object.
    component_fixture::MessageRecorder& Listen(GameObject* object) {
        recorders.push_back(std::make_unique<component_fixture::MessageRecorder>());
        object->router.RegisterHandler(object->id, recorders.back().get());
        return *recorders.back();
    }

    void Step(int frames, float dt = 1.0f / 60.0f) {
        for (int i = 0; i < frames; ++i) {
            process->Update(dt);
        }
    }

    void Remove(GameObject* object) {
        std::erase_if(objects, [&](const auto& o) { return o.get() == object; });
    }

    MessageRouter root;
    std::unique_ptr<PhysXProcess> process = std::make_unique<PhysXProcess>();
    std::vector<std::unique_ptr<component_fixture::MessageRecorder>> recorders;
    std::vector<std::unique_ptr<GameObject>> objects;
    u32 nextId = kFirstObjectId;
};

} // namespace physics_level
