#include "content/lua_bindings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <numbers>
#include <set>

#include "content/lua_test_fixture.h"
#include "content/particle_system_link.h"
#include "core/component.h"
#include "core/component_type.h"
#include "core/game_object.h"
#include "core/math_functions.h"
#include "core/matrix.h"
#include "platform/system/crt_rand.h"

namespace {

using lua_test::LuaTest;

// Counts the calls the object makes on it.
class CountingComponent : public Component {
  public:
    void Update(float) override {}
    void Finalize() override { ++finalized; }
    int finalized = 0;
};

// Stands in for the renderer's particle systems, which are components.
class FakeLink : public ParticleSystemLink {
  public:
    FakeLink() { Install(this); }
    ~FakeLink() override { Install(nullptr); }

    ParticleSystemCPU* Create(const std::string& name) override {
        created.push_back(name);
        return name == "smoke" ? System() : nullptr;
    }
    void SetBornDelayHigh(ParticleSystemCPU* system, float seconds) override {
        high.push_back(seconds);
    }
    void SetBornDelayLow(ParticleSystemCPU* system, float seconds) override {
        low.push_back(seconds);
    }
    bool IsLive(const ParticleSystemCPU* system) override { return system == System(); }
    Component* AsComponent(ParticleSystemCPU* system) override {
        return system == System() ? &component : nullptr;
    }

    // The component's address, taken for the system it is.
    ParticleSystemCPU* System() { return reinterpret_cast<ParticleSystemCPU*>(&component); }

    CountingComponent component;
    std::vector<std::string> created;
    std::vector<float> high;
    std::vector<float> low;
};

class LuaBindingsTest : public LuaTest {
  protected:
    // An object made by the fake state, also known to the script as `obj` wrapped in `o`.
    GameObject* MakeObject(const char* type = "Tank") {
        RunClean(std::string("obj = CreateGameObject('") + type + "')\no = LuaGameObject(obj)");
        return static_cast<GameObject*>(Pointer("obj"));
    }
};

TEST_F(LuaBindingsTest, CreateGameObjectAsksTheObjectTarget) {
    RunClean("tank = CreateGameObject('Tank')\n"
             "typo = CreateGameObject('Tnak')\n"
             "tankValid, typoValid, nullValid = Valid(tank), Valid(typo), Valid(GetNULL())");
    EXPECT_EQ(m_state.m_requests, (std::vector<std::string>{"Tank", "Tnak"}));
    ASSERT_EQ(m_state.m_objects.size(), 1u);
    EXPECT_EQ(Pointer("tank"), m_state.m_objects[0].get());
    EXPECT_EQ(Pointer("typo"), nullptr);
    EXPECT_TRUE(Boolean("tankValid"));
    EXPECT_FALSE(Boolean("typoValid"));
    EXPECT_FALSE(Boolean("nullValid"));

    lua_test::FakeState menu({"Button"});
    menu.Bind(&m_root, 22);
    m_handler.SetObjectTarget(22);
    RunClean("button = CreateGameObject('Button')");
    EXPECT_EQ(menu.m_requests.size(), 1u);
    EXPECT_NE(Pointer("button"), nullptr);
}

TEST_F(LuaBindingsTest, AnUnboundHandlerCreatesNothing) {
    LuaHandler alone;
    testing::internal::CaptureStdout();
    alone.DoString("made = Valid(CreateGameObject('Tank'))", "alone");
    EXPECT_TRUE(lua_test::ErrorLines(testing::internal::GetCapturedStdout()).empty());
    lua_getglobal(alone.CurrentState(), "made");
    EXPECT_FALSE(lua_toboolean(alone.CurrentState(), -1));
    lua_pop(alone.CurrentState(), 1);
    EXPECT_TRUE(m_state.m_requests.empty());
}

TEST_F(LuaBindingsTest, PositionVelocityAndScaleRoundTrip) {
    GameObject* const object = MakeObject();
    ASSERT_NE(object, nullptr);
    RunClean("o:SetPosition(1, 2, 3)\n"
             "o:SetVelocity(-4, 5.5, 0)\n"
             "o:SetScale(2, 2, 0.5)\n"
             "px, py, pz = o:GetPosition()\n"
             "vx, vy, vz = o:GetVelocity()\n"
             "sx, sy, sz = o:GetScale()");
    EXPECT_EQ(Number("px"), 1.0);
    EXPECT_EQ(Number("py"), 2.0);
    EXPECT_EQ(Number("pz"), 3.0);
    EXPECT_EQ(Number("vx"), -4.0);
    EXPECT_EQ(Number("vy"), 5.5);
    EXPECT_EQ(Number("vz"), 0.0);
    EXPECT_EQ(Number("sx"), 2.0);
    EXPECT_EQ(Number("sz"), 0.5);
    EXPECT_EQ(object->position.y, 2.0f);
    EXPECT_TRUE(object->positionChanged);
    EXPECT_TRUE(object->velocityChanged);
    EXPECT_FALSE(object->orientationChanged);
}

TEST_F(LuaBindingsTest, OrientationRoundTripsThroughTheMatrix) {
    GameObject* const object = MakeObject();
    const Float4x4 turn =
        Math::MatrixMultiply(Math::MatrixRotationY(0.6f), Math::MatrixRotationX(-0.3f));
    std::string rows;
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            char number[32];
            std::snprintf(number, sizeof(number), "%.9g", turn(r, c));
            rows += (rows.empty() ? "" : ", ") + std::string(number);
        }
    }
    RunClean("o:SetOrientation(" + rows +
             ")\n"
             "q = o:GetOrientation()\n"
             "x, y, z = QuatTimesVector(q, 1, 2, 3)");
    EXPECT_TRUE(object->orientationChanged);
    EXPECT_EQ(Pointer("q"), &object->orientation) << "the live quaternion, not a copy";

    // The script's rotation agrees with the matrix it was given.
    const Float4 expected = Math::Vec3Transform(Float3{1, 2, 3}, turn);
    EXPECT_NEAR(Number("x"), expected.x, 1e-4);
    EXPECT_NEAR(Number("y"), expected.y, 1e-4);
    EXPECT_NEAR(Number("z"), expected.z, 1e-4);
    const Quaternion& q = object->orientation;
    EXPECT_NEAR(q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w, 1.0f, 1e-5f);

    // The handle follows later turns of the object.
    object->SetOrientation(Quaternion{});
    RunClean("x, y, z = QuatTimesVector(q, 1, 2, 3)");
    EXPECT_NEAR(Number("x"), 1.0, 1e-6);
    EXPECT_NEAR(Number("z"), 3.0, 1e-6);
}

TEST_F(LuaBindingsTest, StreamWritesEachTypeAsComponentsReadIt) {
    struct Case {
        const char* type;
        const char* value; // Lua expression
        std::vector<u8> bytes;
    };
    auto floats = [](std::initializer_list<float> values) {
        std::vector<u8> bytes(values.size() * 4);
        std::memcpy(bytes.data(), values.begin(), bytes.size());
        return bytes;
    };
    const double half = 0.5;
    std::vector<u8> doubleBytes(8);
    std::memcpy(doubleBytes.data(), &half, 8);
    const Case cases[] = {
        {"int", "5", {5, 0, 0, 0}},
        {"int", "-2.9", {0xFE, 0xFF, 0xFF, 0xFF}},
        {"long", "258", {2, 1, 0, 0}},
        {"float", "1.5", floats({1.5f})},
        {"double", "0.5", doubleBytes},
        {"bool", "true", {1}},
        {"bool", "false", {0}},
        {"bool", "0", {1}},
        {"string", "'xy'", {'x', 'y', 0}},
        {"string", "12", {'1', '2', 0}},
        {"vector3", "'1.5,2 ,, 3'", floats({1.5f, 2, 3})},
        {"vector3", "'4'", floats({4, 0, 0})},
        {"vector4", "'1 2 3 4 5'", floats({1, 2, 3, 4})},
        {"vector3", "'+2, -1e1, x'", floats({2, -10, 0})},
        {"colour", "'red'", {}},
    };
    for (const Case& c : cases) {
        GameObject* const object = MakeObject();
        const std::string call =
            std::string("o:Stream('Param', '") + c.type + "', " + c.value + ")";
        RunClean(call);
        const StreamMap& stream = object->parameters;
        ASSERT_EQ(stream.Size(), c.bytes.size()) << call;
        EXPECT_EQ(std::vector<u8>(stream.Data(), stream.Data() + stream.Size()), c.bytes) << call;
        EXPECT_EQ(stream.GetName(0), "Param") << call;
        EXPECT_EQ(stream.GetType(0), c.type) << call;
    }
}

TEST_F(LuaBindingsTest, StreamAppendsInOrderAndFinalizeMoreNotifiesComponents) {
    GameObject* const object = MakeObject();
    CountingComponent component;
    object->AddComponent(ComponentType::Graphic, &component);
    RunClean("o:Stream('Speed', 'float', 2)\n"
             "o:Stream('Offset', 'vector3', '0, 1, 0')\n"
             "o:FinalizeMore()");
    EXPECT_EQ(object->parameters.Size(), 16u);
    EXPECT_EQ(object->parameters.GetName(4), "Offset");
    EXPECT_EQ(component.finalized, 1);

    // A component that read the parameters leaves the stream in reading mode; a later
    // unknown type still records where the next value starts.
    float speed = 0.0f;
    object->parameters.ReadFloat(speed);
    EXPECT_EQ(speed, 2.0f);
    RunClean("o:Stream('Tag', 'unknown', 1)\no:Stream('Count', 'int', 7)");
    EXPECT_EQ(object->parameters.Size(), 4u);
    EXPECT_EQ(object->parameters.GetName(0), "Speed") << "the first record of an offset stays";
    object->RemoveComponent(&component, false);
}

TEST_F(LuaBindingsTest, MethodsOnANullObjectOrWithNullArgumentsRaiseErrors) {
    MakeObject("Tnak");
    const std::pair<const char*, const char*> cases[] = {
        {"o:SetPosition(1, 2, 3)", "holds no object"},
        {"local x = o:GetPosition()", "holds no object"},
        {"o:Stream('a', 'int', 1)", "holds no object"},
        {"o:FinalizeMore()", "holds no object"},
        {"LuaParticleSystem(GetNULL()):SetBornDelayHigh(1)", "holds no particle system"},
    };
    for (const auto& [chunk, expected] : cases) {
        EXPECT_NE(RunFailing(chunk).find(expected), std::string::npos) << chunk;
    }
    // These do not reach the object.
    RunClean("same = o:GetObject() == GetNULL()\no:SetObject(GetNULL())");
    EXPECT_TRUE(Boolean("same"));

    GameObject* const object = MakeObject();
    ASSERT_NE(object, nullptr);
    const std::pair<const char*, const char*> nullArguments[] = {
        {"o:SetParent(GetNULL())", "the parent is null"},
        {"o:AttachParticleSystem(nil)", "the particle system is null"},
        {"QuatTimesVector(GetNULL(), 1, 2, 3)", "the quaternion is null"},
        {"o:SetParent(o)", "light userdata"},
        {"LuaGameObject(o)", "light userdata"},
        {"o:SetPosition(1, 'two', 3)", "number expected"},
        {"o:SetPosition(1, 2)", "takes 3 argument"},
        {"o:Stream('a', 'float', 'many')", "number expected"},
    };
    for (const auto& [chunk, expected] : nullArguments) {
        EXPECT_NE(RunFailing(chunk).find(expected), std::string::npos) << chunk;
    }
    EXPECT_EQ(object->parentObject, nullptr);
    EXPECT_EQ(object->parameters.Size(), 0u);
}

TEST_F(LuaBindingsTest, AMethodNeedsAnObjectOfItsOwnClass) {
    MakeObject();
    const std::pair<const char*, const char*> cases[] = {
        {"o.SetPosition(LuaParticleSystem(GetNULL()), 1, 2, 3)",
         "called on an object that is not a LuaGameObject"},
        {"o.GetPosition({})", "called on an object that is not a LuaGameObject"},
        {"o.GetPosition({[0] = obj})", "called on an object that is not a LuaGameObject"},
        {"o.SetPosition(1, 2, 3)", "needs its object"},
        {"LuaParticleSystem(GetNULL()).GetParticleSystem(o)",
         "called on an object that is not a LuaParticleSystem"},
    };
    for (const auto& [chunk, expected] : cases) {
        EXPECT_NE(RunFailing(chunk).find(expected), std::string::npos) << chunk;
    }
}

TEST_F(LuaBindingsTest, SetParentKeepsOneParentAndNoCycles) {
    GameObject* const child = MakeObject();
    RunClean("child = o\n"
             "a = LuaGameObject(CreateGameObject('Building'))\n"
             "b = LuaGameObject(CreateGameObject('Building'))\n"
             "child:SetParent(a:GetObject())\n"
             "child:SetParent(a:GetObject())\n"
             "child:SetParent(b:GetObject())");
    ASSERT_EQ(m_state.m_objects.size(), 3u);
    GameObject* const a = m_state.m_objects[1].get();
    GameObject* const b = m_state.m_objects[2].get();
    EXPECT_EQ(child->parentObject, b);
    EXPECT_TRUE(a->childObjects.empty());
    EXPECT_EQ(b->childObjects, std::vector<GameObject*>{child});

    EXPECT_NE(RunFailing("b:SetParent(child:GetObject())").find("its own ancestor"),
              std::string::npos);
    EXPECT_NE(RunFailing("b:SetParent(b:GetObject())").find("its own ancestor"), std::string::npos);
    EXPECT_EQ(b->parentObject, nullptr);
}

TEST_F(LuaBindingsTest, ParticleSystemsThroughTheRendererAndTheLink) {
    FakeLink link;
    int fakeSystem = 0;
    m_graphics.m_system = reinterpret_cast<ParticleSystemCPU*>(&fakeSystem);
    GameObject* const object = MakeObject();
    RunClean("direct = CreateParticleSystem('smoke')\n"
             "none = CreateParticleSystem('fog')\n"
             "placed = CreateParticleSystem('fire', 1, 2, 3)\n"
             "placedValid = ValidateParticleSystem(placed)\n"
             "directValid = ValidateParticleSystem(direct)\n"
             "p = LuaParticleSystem(direct)\n"
             "p:SetBornDelayHigh(0.25)\n"
             "p:SetBornDelayLow('soon')\n"
             "same = p:GetParticleSystem() == direct\n"
             "o:AttachParticleSystem(p:GetParticleSystem())\n"
             "KillParticleSystemScript()");
    EXPECT_EQ(link.created, (std::vector<std::string>{"smoke", "fog"}));
    EXPECT_EQ(Pointer("direct"), link.System());
    EXPECT_EQ(Pointer("none"), nullptr);
    EXPECT_EQ(Pointer("placed"), m_graphics.m_system);
    ASSERT_EQ(m_graphics.m_info.size(), 1u);
    EXPECT_EQ(m_graphics.m_info[0].name, "fire");
    EXPECT_EQ(m_graphics.m_info[0].position.z, 3.0f);
    EXPECT_TRUE(Boolean("placedValid"));
    EXPECT_FALSE(Boolean("directValid"));
    EXPECT_EQ(link.high, std::vector<float>{0.25f});
    EXPECT_EQ(link.low, std::vector<float>{0.0f}) << "a non-number sets 0";
    EXPECT_TRUE(Boolean("same"));
    EXPECT_EQ(object->GetComponent(ComponentType::ParticleSystem), &link.component);
    ASSERT_EQ(m_particleScripts.m_received.size(), 1u);
    EXPECT_EQ(m_particleScripts.m_received[0].type, MSG_PARTICLE_SYSTEM_SCRIPT_KILL);
    EXPECT_EQ(m_particleScripts.m_received[0].fromId, LuaHandler::kHandlerId);

    EXPECT_NE(RunFailing("CreateParticleSystem('fire', 1, 2)").find("CreateParticleSystem takes"),
              std::string::npos);
    object->RemoveComponent(&link.component, false);
}

TEST_F(LuaBindingsTest, RendererSettingsAreSentAsFloats) {
    RunClean("SetHDRExposure(2.5)\nSetLightMultiplier(0.75)\nMotionBlur(1)");
    ASSERT_EQ(m_graphics.m_received.size(), 3u);
    const std::pair<u32, float> expected[] = {{MSG_GRAPHICS_SET_EXPOSURE_VALUE, 2.5f},
                                              {MSG_GRAPHICS_SET_LIGHT_MULTIPLIER, 0.75f},
                                              {MSG_GRAPHICS_MOTION_BLUR, 1.0f}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(m_graphics.m_received[i].type, expected[i].first);
        EXPECT_EQ(m_graphics.m_received[i].number, expected[i].second);
        EXPECT_EQ(m_graphics.m_received[i].fromId, LuaHandler::kHandlerId);
    }
}

TEST_F(LuaBindingsTest, RandFollowsTheRuntimeGenerator) {
    crt::SeedRand(1234);
    RunClean("seq = {} for i = 1, 20 do seq[i] = Rand(-3, 7) end");
    crt::SeedRand(1234);
    for (int i = 1; i <= 20; ++i) {
        lua_getglobal(L(), "seq");
        lua_rawgeti(L(), -1, i);
        EXPECT_EQ(lua_tonumber(L(), -1), -3 + crt::Rand() % 10) << i;
        lua_pop(L(), 2);
    }

    RunClean("seen = {} for i = 1, 3000 do seen[Rand(1, 4)] = true end\n"
             "same = Rand(5, 5)\n"
             "down = {} for i = 1, 3000 do down[Rand(5, 1)] = true end");
    lua_getglobal(L(), "seen");
    std::set<double> seen;
    for (lua_pushnil(L()); lua_next(L(), -2) != 0; lua_pop(L(), 1)) {
        seen.insert(lua_tonumber(L(), -2));
    }
    lua_pop(L(), 1);
    EXPECT_EQ(seen, (std::set<double>{1, 2, 3}));
    EXPECT_EQ(Number("same"), 5.0);
    lua_getglobal(L(), "down");
    std::set<double> down;
    for (lua_pushnil(L()); lua_next(L(), -2) != 0; lua_pop(L(), 1)) {
        down.insert(lua_tonumber(L(), -2));
    }
    lua_pop(L(), 1);
    EXPECT_EQ(down, (std::set<double>{2, 3, 4, 5})) << "a reversed range runs down from lo";
}

TEST_F(LuaBindingsTest, FRandGivesEvenSteps) {
    RunClean("lo, hi, bad, count = 1, 0, 0, 0\n"
             "local steps = {}\n"
             "for i = 1, 3000 do\n"
             "  local f = FRand(0, 1, 100)\n"
             "  lo, hi = math.min(lo, f), math.max(hi, f)\n"
             "  local k = f * 100\n"
             "  if math.abs(k - math.floor(k + 0.5)) > 1e-4 then bad = bad + 1 end\n"
             "  if not steps[math.floor(k + 0.5)] then steps[math.floor(k + 0.5)] = true; count = "
             "count + 1 end\n"
             "end\n"
             "none = FRand(2, 3, 0.5)\n"
             "shifted = FRand(10, 20, 1)");
    EXPECT_GE(Number("lo"), 0.0);
    EXPECT_LE(Number("hi"), 0.99 + 1e-6);
    EXPECT_EQ(Number("bad"), 0.0);
    EXPECT_GT(Number("count"), 90.0);
    EXPECT_EQ(Number("none"), 2.0) << "fewer than one step gives lo";
    EXPECT_EQ(Number("shifted"), 10.0);
}

TEST_F(LuaBindingsTest, FRandStepCountsPastIntAndNaNAreDefined) {
    RunClean("nan = FRand(0, 1, 0/0)\n"
             "below = FRand(3, 4, -1e30)\n"
             "moved, out = 0, 0\n"
             "for i = 1, 200 do\n"
             "  for _, steps in ipairs({1e20, 3e9, 1/0}) do\n"
             "    local f = FRand(0, 1, steps)\n"
             "    if f ~= 0 then moved = moved + 1 end\n"
             "    if not (f >= 0 and f < 1) then out = out + 1 end\n"
             "  end\n"
             "end");
    EXPECT_EQ(Number("nan"), 0.0) << "NaN is no step";
    EXPECT_EQ(Number("below"), 3.0);
    EXPECT_EQ(Number("out"), 0.0);
    // Clamped to the largest count, the draws land on tiny steps above lo, not all on lo.
    EXPECT_GT(Number("moved"), 0.0);
}

TEST_F(LuaBindingsTest, AddressesThatAreNotWhatTheyClaimAreLuaErrors) {
    FakeLink link;
    GameObject* const object = MakeObject();
    RunClean("q = o:GetOrientation()\n"
             "smoke = CreateParticleSystem('smoke')");
    const std::pair<const char*, const char*> cases[] = {
        // The orientation taken for an object: this crashed the game.
        {"LuaGameObject(o:GetOrientation()):FinalizeMore()", "not a live game object"},
        {"LuaGameObject(q):SetPosition(1, 2, 3)", "not a live game object"},
        {"o:SetParent(q)", "the parent is not a live game object"},
        {"o:SetObject(q)", "not a live game object"},
        {"LuaGameObject(smoke)", "not a live game object"},
        {"LuaParticleSystem(obj)", "not a live particle system"},
        {"LuaParticleSystem(q):SetBornDelayHigh(1)", "not a live particle system"},
        {"o:AttachParticleSystem(obj)", "the particle system is not a live particle system"},
        {"QuatTimesVector(obj, 1, 2, 3)", "not the orientation of a live game object"},
        {"QuatTimesVector(smoke, 1, 2, 3)", "not the orientation of a live game object"},
    };
    for (const auto& [chunk, expected] : cases) {
        EXPECT_NE(RunFailing(chunk).find(expected), std::string::npos) << chunk;
    }
    EXPECT_EQ(object->parentObject, nullptr);
    EXPECT_EQ(object->GetComponent(ComponentType::ParticleSystem), nullptr);
    EXPECT_EQ(link.high, std::vector<float>{});

    // A wrapper outliving its object, used up to the object's end, and the orientation of
    // a deleted object.
    RunClean("p = LuaParticleSystem(smoke)\np:SetBornDelayLow(2)\nlocal x = o:GetPosition()");
    m_state.m_objects.clear();
    const std::pair<const char*, const char*> gone[] = {
        {"o:GetPosition()", "holds an object that no longer exists"},
        {"o:FinalizeMore()", "holds an object that no longer exists"},
        {"QuatTimesVector(q, 1, 2, 3)", "not the orientation of a live game object"},
        {"LuaGameObject(obj)", "not a live game object"},
    };
    for (const auto& [chunk, expected] : gone) {
        EXPECT_NE(RunFailing(chunk).find(expected), std::string::npos) << chunk;
    }
    RunClean("o = nil\ncollectgarbage()");
}

TEST_F(LuaBindingsTest, MathsGlobalsAreSinglePrecision) {
    RunClean("pi, c, s = PI(), cos(PI()), sin(0.5)\n"
             "nx, ny, nz = "
             "QuatTimesVector(LuaGameObject(CreateGameObject('Tank')):GetOrientation(), 1, 2, 3)");
    EXPECT_EQ(Number("pi"), static_cast<double>(std::numbers::pi_v<float>));
    EXPECT_EQ(Number("c"),
              static_cast<double>(static_cast<float>(std::cos(std::numbers::pi_v<float>))));
    EXPECT_EQ(Number("s"), static_cast<double>(static_cast<float>(std::sin(0.5))));
    EXPECT_EQ(Number("nx"), 1.0);
    EXPECT_EQ(Number("ny"), 2.0);
    EXPECT_EQ(Number("nz"), 3.0);
}

TEST_F(LuaBindingsTest, WrappersAreCollectedWithoutTouchingTheirObjects) {
    GameObject* const object = MakeObject();
    RunClean("for i = 1, 200 do local w = LuaGameObject(obj); w:SetPosition(i, 0, 0) end\n"
             "o = nil\ncollectgarbage()");
    EXPECT_EQ(object->position.x, 200.0f);
    EXPECT_EQ(m_state.m_objects.size(), 1u);
}

} // namespace
