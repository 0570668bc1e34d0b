#pragma once
// A headless city: the physics level with the building process bound at handler 17,
// recorders at the handlers the buildings talk to, a stand-in level (handler 6) that makes
// and deletes objects when asked, and stand-in services above the city that record what
// the buildings ask of the renderer, the lights and the sound players.
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "PhysX/physics_level_fixture.h"
#include "city/building_component.h"
#include "city/building_process.h"
#include "city/building_services.h"
#include "core/bounds.h"
#include "core/message.h"
#include "platform/system/crt_rand.h"

namespace city_level {

class FakeServices : public BuildingServices {
  public:
    struct Sound {
        GameObject* object;
        std::string path;
        float volume;
    };

    bool IsUnitThrown(GameObject* unit) override { return thrownUnits.count(unit) != 0; }
    GraphicComponent* Graphic(GameObject* object) override {
        // An address that stands for the object's graphic; never followed.
        return graphics.count(object) != 0 ? reinterpret_cast<GraphicComponent*>(object) : nullptr;
    }
    bool IsGraphicAnchored(GameObject* object) override { return looseGraphics.count(object) == 0; }
    bool GetMeshBounds(GameObject* object, Vector* min, Vector* max) override {
        const auto found = meshes.find(object);
        if (found == meshes.end()) {
            return false;
        }
        *min = found->second.first;
        *max = found->second.second;
        return true;
    }
    void SetDamageShade(GameObject* object, float shade) override { shades[object] = shade; }
    void SwitchOffLights(GameObject* object) override { lightsOff.insert(object); }
    void PreloadSound(const std::string& path) override { preloaded.push_back(path); }
    void PlayInstanceAt(SoundInstance*, const Vector& at, float volume) override {
        placedSounds.emplace_back(at, volume);
    }
    void NukeExplosion(const Vector& at) override { nukes.push_back(at); }
    bool HasSoundPlayer(GameObject* object) override { return soundPlayers.count(object) != 0; }
    void PlaySound(GameObject* object, const std::string& path, float volume) override {
        sounds.push_back({object, path, volume});
    }
    bool HasObjectiveMarker(GameObject* object) override { return markers.count(object) != 0; }
    void AddObjectiveMarker(GameObject* object) override { markers.insert(object); }
    void RemoveObjectiveMarker(GameObject* object) override { markers.erase(object); }
    void SetObjectiveOffset(GameObject* object, const Vector& offset) override {
        markerOffsets[object] = offset;
    }
    void SetObjectiveLife(GameObject* object, float life, float) override {
        markerLives[object] = life;
    }
    void FadeObjectiveMarker(GameObject* object, float) override { faded.insert(object); }

    // An object is gone: a later one at the same address starts afresh.
    void Forget(GameObject* object) {
        for (std::set<GameObject*>* set :
             {&thrownUnits, &graphics, &looseGraphics, &lightsOff, &soundPlayers, &markers}) {
            set->erase(object);
        }
        meshes.erase(object);
        shades.erase(object);
    }

    std::set<GameObject*> thrownUnits;
    std::set<GameObject*> graphics;
    std::set<GameObject*> looseGraphics;
    std::map<GameObject*, std::pair<Vector, Vector>> meshes;
    std::map<GameObject*, float> shades;
    std::set<GameObject*> lightsOff;
    std::vector<std::string> preloaded;
    std::vector<std::pair<Vector, float>> placedSounds;
    std::vector<Vector> nukes;
    std::set<GameObject*> soundPlayers;
    std::vector<Sound> sounds;
    std::set<GameObject*> markers;
    std::map<GameObject*, Vector> markerOffsets;
    std::map<GameObject*, float> markerLives;
    std::set<GameObject*> faded;
};

// How a test building is made.
struct Shape {
    float health = 100.0f;
    bool grabbable = false;
    Vector position;
    // The maximum corner of the object's box.
    Vector extents = Vector(5.0f, 10.0f, 5.0f);
    bool graphic = true;
    bool anchored = true;
    bool sound = true;
    bool physics = true;
    // The body's record: as a building of the city it rests asleep and weighs a million.
    bool sleeping = false;
    float massDivisor = 1.0f;

    Shape& Health(float value) {
        health = value;
        return *this;
    }
    Shape& Grabbable() {
        grabbable = true;
        return *this;
    }
    Shape& At(const Vector& value) {
        position = value;
        return *this;
    }
    Shape& Extents(const Vector& value) {
        extents = value;
        return *this;
    }
    Shape& Loose() {
        anchored = false;
        return *this;
    }
    Shape& AsInTheCity() {
        sleeping = true;
        massDivisor = 0.000001f;
        return *this;
    }
};

class City : public physics_level::Level {
  protected:
    City() {
        crt::SeedRand(7);
        BuildingServices::Install(&services);
        buildings->Bind(&root, BuildingProcess::kHandlerId);
        for (const u32 handler : {u32(HANDLER_GAME_LOGIC_PROCESS), u32(HANDLER_GRAPHICS_PROCESS),
                                  u32(HANDLER_PHYSX_PROCESS), u32(HANDLER_SOUND_PROCESS),
                                  u32(HANDLER_PARTICLE_SYSTEM_SCRIPT_PROCESS)}) {
            recorders.push_back(std::make_unique<component_fixture::MessageRecorder>());
            root.RegisterHandler(handler, recorders.back().get());
            at[handler] = recorders.back().get();
        }
        level.city = this;
        root.RegisterHandler(HANDLER_LEVEL_STATE, &level);
    }
    ~City() override {
        objects.clear();
        buildings.reset();
        BuildingServices::Install(nullptr);
    }

    // A new building process in place of the old one, after the objects are gone.
    void NewProcess(bool endless) {
        while (!objects.empty()) {
            Drop(objects.back().get());
        }
        root.RemoveHandler(buildings.get());
        buildings = std::make_unique<BuildingProcess>(false, endless);
        buildings->Bind(&root, BuildingProcess::kHandlerId);
    }

    // Deletes an object as the level does, its router out of the tree first.
    void Drop(GameObject* object) {
        root.RemoveChild(&object->router);
        services.Forget(object);
        Remove(object);
    }

    // The messages a handler received, of one type.
    std::vector<const BaseMessage*> Sent(u32 handler, u32 type) const {
        std::vector<const BaseMessage*> found;
        for (const auto& r : at.at(handler)->received) {
            if (r.message->type == type) {
                found.push_back(r.message.get());
            }
        }
        return found;
    }
    template <class T> std::vector<T> Payloads(u32 handler, u32 type) const {
        std::vector<T> values;
        for (const BaseMessage* m : Sent(handler, type)) {
            if (const T* v = m->Payload<T>()) {
                values.push_back(*v);
            }
        }
        return values;
    }

    GameObject* MakeBuilding(const std::string& type, const Shape& shape = {}) {
        auto object = std::make_unique<GameObject>(type);
        GameObject* o = object.get();
        o->id = nextId++;
        o->SetRouterParent(&root);
        o->SetPosition(shape.position);
        o->positionChanged = false;
        o->SetBoundingBox(new BoundingBox(shape.extents));
        if (shape.graphic) {
            services.graphics.insert(o);
            services.meshes[o] = {shape.extents * -1.0f, shape.extents};
            if (!shape.anchored) {
                services.looseGraphics.insert(o);
            }
        }
        if (shape.sound) {
            services.soundPlayers.insert(o);
        }
        if (shape.physics) {
            physics_level::Record record;
            record.extents = shape.extents;
            record.sleeping = shape.sleeping;
            record.massDivisor = shape.massDivisor;
            StreamMap stream = physics_level::PhysicsStream(type, record);
            o->AddComponent(ComponentType::Physics, process->CreateComponent(&stream));
        }
        StreamMap stream;
        stream.AddString("Object Type", type);
        stream.AddString("Component Type", "Building");
        stream.AddBool("Grabbable", shape.grabbable);
        stream.AddFloat("Health", shape.health);
        o->AddComponent(ComponentType::Building, buildings->CreateComponent(&stream));
        o->InitializeComponents();
        o->NotifyComponents();
        objects.push_back(std::move(object));
        return o;
    }

    static BuildingComponent* BuildingOf(const GameObject* object) {
        return dynamic_cast<BuildingComponent*>(object->GetComponent(ComponentType::Building));
    }

    // The robot: a body the building process knows through its player component.
    GameObject* MakeRobot(const Vector& position = Vector()) {
        GameObject* robot = Make("RobotBody", {}, position);
        player.owner = robot;
        Message<Component*> known(MSG_PLAYER_COMPONENT, &player);
        buildings->HandleMessage(&known, 11);
        return robot;
    }

    void Touch(GameObject* building, GameObject* other, u32 events = 2) {
        Collision contact(Vector(), Vector(0.0f, 1.0f, 0.0f), Body(building), Body(other),
                          Collision::kBothDynamic, events);
        Message<Collision> msg(MSG_PHYSICS_COLLISION, contact);
        BuildingOf(building)->HandleMessage(&msg, PhysXProcess::kHandlerId);
    }

    void Push(GameObject* building, float force) {
        Message<float> msg(MSG_PHYSICS_FORCE, force);
        BuildingOf(building)->HandleMessage(&msg, PhysXProcess::kHandlerId);
    }

    // A message to the building process from a recorder's handler id; the answers land there.
    void Ask(BaseMessage* msg, u32 from = HANDLER_GAME_LOGIC_PROCESS) {
        root.SendMessage(msg, BuildingProcess::kHandlerId, from);
    }

    void Frames(int n, float dt = 0.1f) {
        for (int i = 0; i < n; ++i) {
            buildings->Update(dt);
            root.Update(dt);
        }
    }

    // Stands in for the level: makes objects by type name and deletes them on request.
    struct FakeLevel : MessageHandler {
        void HandleMessage(BaseMessage* msg, u32) override {
            if (msg->type == MSG_LEVEL_CREATE_OBJECT) {
                const std::string* type = msg->Payload<std::string>();
                created.push_back(*type);
                if (!failCreation) {
                    GameObject* made = city->MakeBuilding(*type, shape);
                    Message<GameObject*> reply(MSG_LEVEL_OBJECT_CREATED, made);
                    city->root.SendMessage(&reply, BuildingProcess::kHandlerId,
                                           HANDLER_LEVEL_STATE);
                }
            } else if (msg->type == MSG_LEVEL_DELETE_OBJECT) {
                GameObject* object = *msg->Payload<GameObject*>();
                deleted.push_back(object->name);
                city->Drop(object);
            }
        }
        City* city = nullptr;
        Shape shape;
        bool failCreation = false;
        std::vector<std::string> created;
        std::vector<std::string> deleted;
    };

    FakeServices services;
    std::unique_ptr<BuildingProcess> buildings = std::make_unique<BuildingProcess>(false, false);
    std::map<u32, component_fixture::MessageRecorder*> at;
    FakeLevel level;
    DefinitionComponent player{"Player"};
};

} // namespace city_level
