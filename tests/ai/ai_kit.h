#pragma once
// A headless level for AI tests: a level state (handler 6) that makes objects at once from a
// small definitions map and deletes them on request, the AI process (12) on its router,
// recorders under the ids the AI talks to, a physics seam that records the bodies' moves, a
// look and an audio that record what the AI asks of them, a building index over a few
// boxes, spawn points kept in memory, seeded random numbers and test states that log what
// the machine calls.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <boost/shared_ptr.hpp>

#include "ai/ai_view_component.h"
#include "ai/ai_view_process.h"
#include "ai/state.h"
#include "ai/state_machine.h"
#include "ai/unit_services.h"
#include "core/bounds.h"
#include "core/component_type.h"
#include "core/definition_component.h"
#include "core/game_object.h"
#include "core/message.h"
#include "core/physics_body.h"
#include "game/game_state.h"
#include "platform/system/crt_rand.h"
#include "support/component_fixture.h"

namespace ai_kit {

// --- test states ---------------------------------------------------------------------

struct StateCall {
    const void* machine;
    i32 id;
    char what; // 'E'nter, 'U'pdate, e'X'it
};

inline std::vector<StateCall>& StateLog() {
    static std::vector<StateCall> log;
    return log;
}

// A state that logs each call with its id; one class per id so each has its own pool.
template <i32 Id> class LoggingState : public PooledState<LoggingState<Id>> {
  public:
    void Enter() override { StateLog().push_back({this->m_machine, Id, 'E'}); }
    void Update(float) override { StateLog().push_back({this->m_machine, Id, 'U'}); }
    void Exit() override { StateLog().push_back({this->m_machine, Id, 'X'}); }
};

template <i32... Ids> void RegisterLoggingStates(std::integer_sequence<i32, Ids...>) {
    ((StateIdHasClass(Ids) ? (void)RegisterStateFactory(Ids, &MakeStateOf<LoggingState<Ids>>)
                           : (void)0),
     ...);
}

// Every id with a class gets a logging state: the families' own classes are not needed to
// test the machinery.
inline void RegisterAllLoggingStates() {
    RegisterLoggingStates(std::make_integer_sequence<i32, kStateIdCount>());
}

// --- definition streams ----------------------------------------------------------------

struct UnitParams {
    i32 health = 100;
    f32 range = 50.0f;
    bool arrivalNotify = true;
    f32 aimDivisor = 3.0f; // cos(pi/3) = 0.5
    f32 speed = 10.0f;
    bool movementOn = true;
    f32 seekGain = 1.0f;
    f32 headingGain = 0.0f;
    f32 avoidGain = 1.0f;
    std::vector<std::string> states;
};

inline StreamMap UnitStream(const std::string& type, const UnitParams& p) {
    StreamMap s;
    s.WriteString(type);
    s.WriteString("AIView");
    s.AddInt("health", p.health);
    s.AddFloat("range", p.range);
    s.AddBool("arrival", p.arrivalNotify);
    s.AddFloat("aim", p.aimDivisor);
    s.AddFloat("speed", p.speed);
    s.AddBool("movement", p.movementOn);
    s.AddFloat("seek", p.seekGain);
    s.AddFloat("heading", p.headingGain);
    s.AddFloat("avoid", p.avoidGain);
    s.AddInt("count", static_cast<i32>(p.states.size()));
    for (const std::string& name : p.states) {
        s.AddString("state", name);
    }
    return s;
}

// --- physics seam ------------------------------------------------------------------------

class RecordingBody : public DefinitionComponent, public PhysicsBody {
  public:
    using DefinitionComponent::DefinitionComponent;
    // Recorded; with g_integrate the move is also taken as this frame's displacement, which
    // is all a scene of driving units needs of a physics world.
    void Move(const Vector& v) override {
        moves.push_back(v);
        if (Integrate() && owner != nullptr) {
            owner->position += v;
        }
    }
    static bool& Integrate() {
        static bool integrate = false;
        return integrate;
    }
    std::vector<Vector> moves;
};

// Owns simple components of one kind for the fake level (bodies, the player, buildings).
template <class T> class OwningProcess : public ComponentProcess {
  public:
    void Update(float) override {}
    Component* CreateComponent(StreamMap* parameters) override {
        std::string type;
        std::string component;
        parameters->ReadString(type);
        parameters->ReadString(component);
        return Make(type);
    }
    T* Make(const std::string& type) {
        auto* made = new T(type);
        made->process = this;
        m_made.push_back(made);
        return made;
    }
    void RemoveComponent(Component* c) override {
        const auto at = std::find(m_made.begin(), m_made.end(), c);
        if (at != m_made.end()) {
            m_made.erase(at);
            delete c;
        }
    }
    ~OwningProcess() override {
        for (Component* c : m_made) {
            delete c;
        }
    }
    std::vector<Component*> m_made;
};

class PlainComponent : public DefinitionComponent {
  public:
    using DefinitionComponent::DefinitionComponent;
};

// --- look and audio ----------------------------------------------------------------------

class FakeLook : public UnitLook {
  public:
    struct Look {
        bool red = false;
        f32 hdr = 1.0f;
        f32 animationSpeed = 1.0f;
        std::vector<std::string> clips;
        int breaks = 0;
    };
    bool HasGraphic(GameObject& o) override { return looks.count(&o) != 0; }
    bool RenderRed(GameObject& o) override { return looks[&o].red; }
    void SetRenderRed(GameObject& o, bool red) override { looks[&o].red = red; }
    f32 HdrMultiplier(GameObject& o) override { return looks[&o].hdr; }
    void SetHdrMultiplier(GameObject& o, f32 m) override { looks[&o].hdr = m; }
    void SetAnimationSpeedAll(GameObject& o, f32 s) override { looks[&o].animationSpeed = s; }
    void PlayAnimation(GameObject& o, const std::string& clip) override {
        looks[&o].clips.push_back(clip);
    }
    void BreakObject(GameObject& o, MessageHandler&) override { ++looks[&o].breaks; }
    void AddObjectiveMarker(GameObject& o) override { markers.push_back(&o); }
    void SetObjectiveMarkerLook(GameObject&, bool) override {}
    void SetAnimationPaused(GameObject& o, const std::string& clip, bool paused) override {
        clipsPaused[&o][clip] = paused;
    }
    void SetEmissionPaused(GameObject& o, bool paused) override { emissionPaused[&o] = paused; }
    void AddParticleSystems(GameObject& o, const std::vector<std::string>& names) override {
        auto& list = systems[&o];
        list.insert(list.end(), names.begin(), names.end());
    }

    std::map<GameObject*, Look> looks;
    std::vector<GameObject*> markers;
    // Kept apart from looks: asking for them does not give a unit a graphic.
    std::map<GameObject*, std::map<std::string, bool>> clipsPaused;
    std::map<GameObject*, bool> emissionPaused;
    std::map<GameObject*, std::vector<std::string>> systems;
};

// The states' body operations, recorded in order as text; bodies are the objects given a
// mass.
class RecordingPhysics : public UnitPhysics {
  public:
    bool HasBody(GameObject& o) override { return mass.count(&o) != 0; }
    void SetGravityEnabled(GameObject& o, bool on) override {
        Log(o, on ? "gravity on" : "gravity off");
    }
    void UnfreezeAll(GameObject& o) override { Log(o, "unfreeze all"); }
    void ClearBodyFlags(GameObject& o, u32 flags) override {
        Log(o, "clear " + std::to_string(flags));
    }
    void Wake(GameObject& o) override { Log(o, "wake"); }
    void SetDamping(GameObject& o, f32 d) override { Log(o, "damping " + std::to_string(d)); }
    f32 Mass(GameObject& o) override { return mass[&o]; }
    Vector MassSpaceInertia(GameObject& o) override { return inertia[&o]; }
    void AddTorque(GameObject& o, const Vector& t) override {
        Log(o, "torque");
        torques.push_back(t);
    }
    void Log(GameObject& o, const std::string& what) { calls[&o].push_back(what); }

    std::map<GameObject*, f32> mass;
    std::map<GameObject*, Vector> inertia;
    std::map<GameObject*, std::vector<std::string>> calls;
    std::vector<Vector> torques;
};

class FakeAudio : public UnitAudio {
  public:
    struct Played {
        std::string path;
        f32 volume;
        bool loop;
        bool positioned;
    };
    bool Preload(GameObject& o, const std::string& path) override {
        if (!players) {
            return false;
        }
        preloaded.push_back(path);
        return true;
    }
    SoundInstance* PlayerInstance(GameObject& o, const std::string& path) override {
        if (!players) {
            return nullptr;
        }
        paths.push_back(path);
        // Opaque tokens: the AI only hands them back to Play.
        return reinterpret_cast<SoundInstance*>(paths.size());
    }
    void Play(SoundInstance* i, f32 volume, bool loop) override {
        played.push_back({PathOf(i), volume, loop, false});
    }
    void PlayAt(SoundInstance* i, f32 volume, const Vector&) override {
        played.push_back({PathOf(i), volume, false, true});
    }
    std::string PathOf(SoundInstance* i) const {
        const std::size_t n = reinterpret_cast<std::size_t>(i);
        return n >= 1 && n <= paths.size() ? paths[n - 1] : std::string("?");
    }

    bool players = true;
    std::vector<std::string> preloaded;
    std::vector<std::string> paths;
    std::vector<Played> played;
};

// The sound process's side of MSG_GET_SOUND_INSTANCE: answers with an instance token of the
// fake audio.
class SoundReplier : public component_fixture::MessageRecorder {
  public:
    explicit SoundReplier(FakeAudio& audio) : m_audio(audio) {}
    void HandleMessage(BaseMessage* msg, u32 fromId) override {
        MessageRecorder::HandleMessage(msg, fromId);
        if (msg->type == MSG_GET_SOUND_INSTANCE) {
            m_audio.paths.push_back(msg->ValueOr<std::string>(""));
            Message<SoundInstance*> reply(MSG_SOUND_INSTANCE,
                                          reinterpret_cast<SoundInstance*>(m_audio.paths.size()));
            SendMessage(&reply, fromId);
        }
    }

  private:
    FakeAudio& m_audio;
};

// --- buildings ---------------------------------------------------------------------------

// A flat list standing in for the quadtree: every building is in every node.
class ListBuildingIndex : public BuildingIndex {
  public:
    void Collect(const Vector&, f32, std::vector<GameObject*>& out) const override {
        out.insert(out.end(), buildings.begin(), buildings.end());
    }
    std::vector<GameObject*> buildings;
};

// --- spawn points ------------------------------------------------------------------------

class FakeSpawnPoint : public DefinitionComponent {
  public:
    using DefinitionComponent::DefinitionComponent;
    std::string spawnType;
    i32 pending = 0;
    Vector at;
    Vector target;
    f32 storedDistance = -1.0f;
    f32 first = -1.0f;
    f32 second = -1.0f;
    int updates = 0;
};

class FakeSpawnLink : public SpawnPointLink {
  public:
    Component* Create(const std::string& objectType, StreamMap* stream) override {
        auto* point = new FakeSpawnPoint(objectType);
        stream->ReadString(point->spawnType);
        return point;
    }
    static FakeSpawnPoint& Of(Component& c) { return static_cast<FakeSpawnPoint&>(c); }
    void Update(Component& c, float) override { ++Of(c).updates; }
    std::string SpawnTypeName(Component& c) override { return Of(c).spawnType; }
    i32 PendingCount(Component& c) override { return Of(c).pending; }
    void SetPendingCount(Component& c, i32 n) override { Of(c).pending = n; }
    Vector Position(Component& c) override { return Of(c).at; }
    Vector TargetPosition(Component& c) override { return Of(c).target; }
    void StoreTargetDistance(Component& c, f32 d2) override { Of(c).storedDistance = d2; }
    void SetSpawnParameters(Component& c, f32 a, f32 b) override {
        Of(c).first = a;
        Of(c).second = b;
    }
};

// --- the level -----------------------------------------------------------------------------

class Level : public GameState {
  public:
    Level() : GameState("AI test level", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr) {
        SetStateId(HANDLER_LEVEL_STATE);
    }
    GameObject* Adopt(GameObject* object) {
        object->id = m_next_object_id++;
        AdoptObject(object);
        return object;
    }
};

// The ids the AI sends to, besides the level (6) and the sound process (2).
inline constexpr u32 kRecordedIds[] = {0, 1, 3, 5, 9, 16, 17};

class Kit {
  public:
    explicit Kit(bool tutorial = false) : ai(new AIViewProcess(tutorial)), sound(audio) {
        crt::SeedRand(1);
        StateLog().clear();
        RegisterAllLoggingStates();
        level.AddProcess(boost::shared_ptr<Process>(ai), AIViewProcess::kHandlerId);
        ai->SetServices(&look, &audio, &spawnLink);
        ai->SetPhysics(&physics);
        level.SetComponentProcess(ComponentType::AIView, ai);
        level.SetComponentProcess(ComponentType::SpawnPoint, ai);
        level.SetComponentProcess(ComponentType::Physics, &bodies);
        level.SetComponentProcess(ComponentType::Player, &plain);
        level.SetComponentProcess(ComponentType::Building, &plain);
        for (u32 id : kRecordedIds) {
            recorders[id] = std::make_unique<component_fixture::MessageRecorder>();
            recorders[id]->Bind(&level.Router(), id);
        }
        sound.Bind(&level.Router(), HANDLER_SOUND_PROCESS);
    }
    ~Kit() {
        level.DestroyObjects();
        ClearStateFactories();
        RecordingBody::Integrate() = false;
    }
    Kit(const Kit&) = delete;
    Kit& operator=(const Kit&) = delete;

    // A unit type made of an "AIView" and a recording body.
    void DefineUnit(const std::string& type, const UnitParams& params, bool body = true) {
        ComponentDefinitionList& list = level.m_definitions[type];
        list.clear();
        list.emplace(ComponentType::AIView, UnitStream(type, params));
        if (body) {
            list.emplace(ComponentType::Physics,
                         component_fixture::ComponentStream(type, "Physics"));
        }
    }
    void DefineSpawnPoint(const std::string& type, const std::string& spawnType) {
        StreamMap s;
        s.WriteString(type);
        s.WriteString("SpawnPoint");
        s.AddString("type", spawnType);
        ComponentDefinitionList& list = level.m_definitions[type];
        list.clear();
        list.emplace(ComponentType::SpawnPoint, s);
    }

    // The robot: an object with a player component, announced to the AI.
    GameObject* MakeRobot(const Vector& at = Vector()) {
        robot = level.Adopt(new GameObject("Robot"));
        robot->position = at;
        robot->AddComponent(ComponentType::Player, plain.Make("Robot"));
        Message<Component*> player(MSG_PLAYER_COMPONENT,
                                   robot->GetComponent(ComponentType::Player));
        ai->HandleMessage(&player, HANDLER_PLAYER_PROCESS);
        return robot;
    }

    // Creates an object the way the level does for a request; null for an unknown type.
    GameObject* Spawn(const std::string& type, const Vector& at = Vector()) {
        GameObject* object = level.CreateObjectFromDefinition(type);
        if (object == nullptr) {
            return nullptr;
        }
        object->position = at;
        object->SetRouterParent(&level.Router());
        level.m_objects.push_back(object);
        object->InitializeComponents();
        return object;
    }

    GameObject* Building(const Vector& at, const Vector& half) {
        GameObject* b = level.Adopt(new GameObject("Building"));
        b->position = at;
        b->SetBoundingBox(new BoundingBox(half));
        b->SetBoundingSphere(new BoundingSphere(half.Length()));
        b->AddComponent(ComponentType::Building, plain.Make("Building"));
        buildings.buildings.push_back(b);
        return b;
    }
    void UseBuildings() {
        Message<BuildingIndex*> index(MSG_BUILDINGS, &buildings);
        ai->HandleMessage(&index, HANDLER_BUILDING_PROCESS);
    }

    static AIViewComponent* Unit(GameObject* object) {
        return object != nullptr
                   ? static_cast<AIViewComponent*>(object->GetComponent(ComponentType::AIView))
                   : nullptr;
    }
    static RecordingBody* Body(GameObject* object) {
        return dynamic_cast<RecordingBody*>(object->GetComponent(ComponentType::Physics));
    }

    // How many objects of the type the level holds.
    std::size_t Live(const std::string& type) const {
        std::size_t n = 0;
        for (const auto& o : level.Objects()) {
            n += o->name == type ? 1 : 0;
        }
        return n;
    }

    component_fixture::MessageRecorder& At(u32 id) { return *recorders.at(id); }
    // The payloads of every message of one id a recorder received.
    template <class T> std::vector<T> Payloads(u32 id, u32 type) {
        std::vector<T> out;
        for (const auto& r : At(id).received) {
            if (r.message->type == type) {
                if (const T* v = r.message->Payload<T>()) {
                    out.push_back(*v);
                }
            }
        }
        return out;
    }
    std::size_t Count(u32 id, u32 type) {
        const std::vector<u32> types = id == HANDLER_SOUND_PROCESS ? sound.Types() : At(id).Types();
        return static_cast<std::size_t>(std::count(types.begin(), types.end(), type));
    }

    // Declared first: the level's objects hand their components back to these on deletion.
    OwningProcess<RecordingBody> bodies;
    OwningProcess<PlainComponent> plain;
    FakeLook look;
    RecordingPhysics physics;
    FakeAudio audio;
    FakeSpawnLink spawnLink;
    ListBuildingIndex buildings;
    Level level;
    AIViewProcess* ai;
    SoundReplier sound;
    std::map<u32, std::unique_ptr<component_fixture::MessageRecorder>> recorders;
    GameObject* robot = nullptr;
};

} // namespace ai_kit
