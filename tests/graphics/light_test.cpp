#include <gtest/gtest.h>

#include <cmath>

#include "core/game_object.h"
#include "core/math_functions.h"
#include "core/stream_map.h"
#include "game/input_state.h"
#include "graphics/light.h"
#include "platform/input/keys.h"
#include "support/light_stream.h"

namespace {

StreamMap LightDefinitionStream(const std::string& kind) {
    StreamMap stream;
    light_stream::AddLightParameters(stream, kind);
    return stream;
}

TEST(Light, TheDefinitionIsReadInItsOrderAndOnlyUpperCaseSpotMakesASpotLight) {
    for (const auto& [kind, type] : {std::pair{"SPOT", LIGHT_SPOT}, std::pair{"spot", LIGHT_POINT},
                                     std::pair{"POINT", LIGHT_POINT}, std::pair{"", LIGHT_POINT}}) {
        StreamMap stream = LightDefinitionStream(kind);
        stream.BeginRead();
        const LightDefinition definition = ReadLightDefinition(stream);
        EXPECT_EQ(definition.light.type, type) << kind;
        EXPECT_FLOAT_EQ(definition.light.diffuse.g, 0.5f);
        EXPECT_FLOAT_EQ(definition.light.specular.a, 0.4f);
        EXPECT_FLOAT_EQ(definition.offset.y, 2.0f);
        EXPECT_FLOAT_EQ(definition.light.direction.z, 1.0f); // normalised
        EXPECT_FLOAT_EQ(definition.light.range, 30.0f);
        EXPECT_FLOAT_EQ(definition.light.phi, 0.8f);
        EXPECT_FLOAT_EQ(definition.light.theta, 0.4f);
        EXPECT_FLOAT_EQ(definition.light.attenuation2, 0.01f);
        EXPECT_TRUE(definition.enabled);
        EXPECT_FLOAT_EQ(definition.volumetricAmount, 0.7f);
        EXPECT_TRUE(definition.alwaysVisible);
        // What the definition does not name stays zero.
        EXPECT_EQ(definition.light.ambient.r, 0.0f);
        EXPECT_EQ(definition.light.falloff, 0.0f);
        EXPECT_EQ(definition.light.position.x, 0.0f);
    }
}

TEST(Light, AnAttachedSpotLightFollowsItsOwnersPositionAndTurn) {
    GameObject owner("Lamp");
    owner.position = Vector(10.0f, 0.0f, 0.0f);
    owner.orientation = Math::QuaternionRotationMatrix(Math::MatrixRotationY(1.5707964f));
    LightRecord record;
    record.type = LIGHT_SPOT;
    record.direction = {0.0f, 0.0f, 1.0f};
    Light light(true, "Lamp", record);
    light.owner = &owner;
    light.m_offset = {0.0f, 0.0f, 2.0f};
    light.Update(0.1f);
    const Float3 turned = Math::Vec3TransformNormal(
        {0.0f, 0.0f, 2.0f}, Math::MatrixRotationQuaternion(owner.orientation));
    EXPECT_NEAR(light.m_light.position.x, 10.0f + turned.x, 1e-5f);
    EXPECT_NEAR(light.m_light.position.z, turned.z, 1e-5f);
    EXPECT_NEAR(light.m_light.direction.x, turned.x / 2.0f, 1e-5f);

    light.m_detached = true;
    owner.position = Vector(50.0f, 0.0f, 0.0f);
    light.Update(0.1f);
    EXPECT_NEAR(light.m_light.position.x, 10.0f + turned.x, 1e-5f);
}

TEST(LightList, TheSunStartsWithItsValuesAndKeepsAFloorOfAmbient) {
    LightList lights;
    Light* sun = lights.CreateSunLight();
    EXPECT_EQ(lights.MainLight(), sun);
    EXPECT_EQ(sun->m_light.type, LIGHT_DIRECTIONAL);
    EXPECT_FLOAT_EQ(sun->m_light.diffuse.r, 0.9f);
    EXPECT_FLOAT_EQ(sun->m_light.specular.g, 0.6f);
    EXPECT_FLOAT_EQ(sun->m_light.ambient.b, 0.4f);
    EXPECT_NEAR(Math::Vec3Length(sun->m_light.direction), 1.0f, 1e-6f);
    EXPECT_FLOAT_EQ(sun->m_light.attenuation1, 0.5f);

    // Numpad minus held with C: the intensity drops by 0.01 a frame.
    InputState input;
    input.m_keys[input::key::C] = INPUT_HELD;
    input.m_keys[input::key::NumpadMinus] = INPUT_HELD;
    for (int frame = 0; frame < 100; ++frame) {
        lights.Update(0.016f, input, nullptr);
    }
    EXPECT_NEAR(lights.SunIntensity(), 0.0f, 1e-4f);
    EXPECT_NEAR(sun->m_light.diffuse.r, 0.0f, 1e-4f);
    EXPECT_FLOAT_EQ(sun->m_light.ambient.r, 0.2f);
    EXPECT_FLOAT_EQ(sun->m_light.ambient.g, 0.2f);

    // C with the right arrow turns the sun about z.
    InputState turn;
    turn.m_keys[input::key::C] = INPUT_HELD;
    turn.m_keys[input::key::Right] = INPUT_HELD;
    lights.Update(0.016f, turn, nullptr);
    EXPECT_FLOAT_EQ(lights.SunAngle(), 0.01f);
    const Float3 expected = Math::Vec3Normalize(Math::Vec3TransformNormal(
        Math::Vec3Normalize({2.0f, -2.0f, 1.5f}), Math::MatrixRotationZ(0.01f)));
    EXPECT_NEAR(sun->m_light.direction.x, expected.x, 1e-6f);
    EXPECT_NEAR(sun->m_light.direction.y, expected.y, 1e-6f);
}

TEST(LightList, NukeLightsGrowFadeAndExpireOneAFrame) {
    LightList lights;
    lights.CreateSunLight();
    Light* nuke = lights.AddNukeLight({1.0f, 2.0f, 3.0f});
    EXPECT_FLOAT_EQ(nuke->m_light.range, 2.0f);
    EXPECT_FLOAT_EQ(nuke->m_light.falloff, 2.0f);
    EXPECT_FLOAT_EQ(nuke->m_light.attenuation2, 0.005f);

    const InputState input;
    lights.Update(5.25f, input, nullptr);
    // f = 1 − (7 − 5.25) / 3.5 = 0.5.
    EXPECT_NEAR(nuke->m_light.diffuse.r, 0.45f, 1e-5f);
    EXPECT_NEAR(nuke->m_light.diffuse.a, 0.5f, 1e-5f);
    EXPECT_NEAR(nuke->m_light.specular.g, 0.45f, 1e-5f);
    EXPECT_NEAR(nuke->m_light.range, 2.0f + 52.5f, 1e-4f);

    // Two lights past their life in one frame: the first goes, and the update stops there
    // for the frame, so the second goes a frame later.
    lights.AddNukeLight({0.0f, 0.0f, 0.0f})->m_timer = 6.0f;
    Light* last = lights.AddNukeLight({0.0f, 0.0f, 0.0f});
    last->m_timer = 6.0f;
    lights.Update(2.0f, input, nullptr);
    ASSERT_EQ(lights.Lights().size(), 3u);
    EXPECT_FLOAT_EQ(last->m_timer, 6.0f); // not reached this frame
    lights.Update(1.5f, input, nullptr);
    ASSERT_EQ(lights.Lights().size(), 2u);
    EXPECT_FLOAT_EQ(last->m_timer, 6.0f);
    lights.Update(1.5f, input, nullptr);
    ASSERT_EQ(lights.Lights().size(), 1u);
    EXPECT_EQ(lights.Lights()[0]->m_name, "sun");
}

TEST(LightList, EveryUpdatedLightTakesItsCulledFlagFromTheTest) {
    LightList lights;
    lights.CreateSunLight();
    auto* lamp = new Light(true, "lamp", LightRecord{});
    lights.Add(lamp);
    lights.Update(0.1f, InputState{}, [](Light& light) { return light.m_name == "sun"; });
    EXPECT_FALSE(lights.Lights()[0]->m_culled);
    EXPECT_TRUE(lamp->m_culled);
    lights.Remove(lamp);
    EXPECT_EQ(lights.Lights().size(), 1u);
}

} // namespace
