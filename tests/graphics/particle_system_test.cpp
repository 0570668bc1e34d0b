#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "content/particle_system_link.h"
#include "core/component_type.h"
#include "core/game_object.h"
#include "graphics/particle_system_cpu.h"
#include "graphics/particle_system_manager.h"
#include "support/package_fixture.h"

namespace {

TEST(ParticleDefinition, ATemplateStartsWithTheDocumentedDefaults) {
    const ParticleSystemCPU templ;
    const ParticleSettings& s = templ.settings;
    EXPECT_EQ(s.numParticles, 5000);
    EXPECT_EQ(s.textureName, "assets/art/smoke.dds");
    EXPECT_EQ(s.effectName, "graphics/shaders/particle_default.fx");
    EXPECT_EQ(s.sizeFinalLow, 10.0f);
    EXPECT_EQ(s.sizeFinalHigh, 30.0f);
    EXPECT_EQ(s.positionInitial[0], -7.5f);
    EXPECT_EQ(s.positionInitial[2], -15.0f);
    EXPECT_EQ(s.systemLife, 10000.0f);
    EXPECT_EQ(s.emitRate, 10.0f);
    EXPECT_EQ(s.animInfo[0], 1.0f);
    EXPECT_EQ(s.animInfo[2], 0.0f);
    EXPECT_TRUE(s.systemName.empty());
}

TEST(ParticleDefinition, EachLineSetsTheFirstKeywordItContains) {
    ParticleSystemCPU system;
    EXPECT_TRUE(system.ApplyDefinition(
        "SystemName = BossExplosion1\r\n"
        "\n"
        "TextureName = assets/art/fire ball.dds\r\n" // a word ends at the blank
        "Orientation = 0.5, 1.5, 2.5\n"              // not OrientByVelocity
        "StartSphericalRadiusLow = 4, 5, 6\n"        // not StartRadius
        "# NumParticles = 0x20\n"                    // no comment syntax
        "ColorInitialLow = 0.1, 0.2, 0.3, 0.4\n"
        "SystemLife = -1\n"
        "VelocityInitialHigh = 7\n" // fewer numbers keep the rest
        "no keyword here = 12\n"
        "EmitRate = 25")); // a last line without line feed
    const ParticleSettings& s = system.settings;
    EXPECT_EQ(s.systemName, "BossExplosion1");
    EXPECT_EQ(s.textureName, "assets/art/fire");
    EXPECT_EQ(s.orientation[1], 1.5f);
    EXPECT_EQ(s.orientByVelocity, 0);
    EXPECT_EQ(s.startSphericalRadiusLow[2], 6.0f);
    EXPECT_EQ(s.startRadius[0], 0.0f);
    EXPECT_EQ(s.numParticles, 32);
    EXPECT_EQ(s.colorInitialLow[3], 0.4f);
    EXPECT_EQ(s.systemLife, -1.0f);
    EXPECT_EQ(s.velocityInitialHigh[0], 7.0f);
    EXPECT_EQ(s.velocityInitialHigh[1], 0.0f);
    EXPECT_EQ(s.emitRate, 25.0f);
}

TEST(ParticleDefinition, AKeywordLineWithoutValueStopsLoadingAndKeepsWhatWasRead) {
    struct Case {
        const char* text;
        const char* why;
    } const cases[] = {
        {"EmitRate = 5\nSystemLife 100\nZOrder = 3\n", "no equals sign"},
        {"EmitRate = 5\nSystemLife =   \nZOrder = 3\n", "empty value"},
        {"EmitRate = 5\nSystemName =\r\nZOrder = 3\n", "only a carriage return"},
    };
    for (const Case& c : cases) {
        ParticleSystemCPU system;
        EXPECT_FALSE(system.ApplyDefinition(c.text)) << c.why;
        EXPECT_EQ(system.settings.emitRate, 5.0f) << c.why;
        EXPECT_EQ(system.settings.zOrder, 0.0f) << c.why;
    }
    // A value that does not convert is no error; it just sets nothing.
    ParticleSystemCPU system;
    EXPECT_TRUE(system.ApplyDefinition("EmitRate = fast\n"));
    EXPECT_EQ(system.settings.emitRate, 10.0f);
}

class ParticleManagerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto package = package_fixture::MakePackage(
            m_folder.Path(), "particles",
            {{"smoke.txt", "SystemName = Smoke\nNumParticles = 6\nPositionInitial = 1, 2, 3\n"},
             {"broken.txt", "SystemName = Broken\nEmitRate\n"},
             {"smoke2.txt", "SystemName = Smoke\nNumParticles = 2\n"},
             {"nuke.lua", "-- not a definition"}});
        manager->LoadTemplates(package.string());
    }
    void TearDown() override { ParticleSystemManager::DestroyInstance(); }

    package_fixture::ScratchFolder m_folder;
    ParticleSystemManager* manager = ParticleSystemManager::Instance();
};

// The nuke's flash lights the scene where it starts; no other system does, nor a flash
// without a place.
TEST(ParticleNukeLightTest, OnlyTheFlashAtAPlaceAsksForALight) {
    package_fixture::ScratchFolder folder;
    const auto package = package_fixture::MakePackage(
        folder.Path(), "particles",
        {{"nuke1.txt", "SystemName = nuke1\n"}, {"nuke3.txt", "SystemName = nuke3\n"}});
    ParticleSystemManager* manager = ParticleSystemManager::Instance();
    manager->LoadTemplates(package.string());
    std::vector<Vector> lights;
    manager->SetNukeLightHook([&lights](const Vector& at) { lights.push_back(at); });
    const Vector where(10, 20, 30);
    EXPECT_NE(manager->CreateParticleSystem("nuke1", &where), nullptr);
    EXPECT_NE(manager->CreateParticleSystem("nuke3", nullptr), nullptr);
    EXPECT_TRUE(lights.empty());
    EXPECT_NE(manager->CreateParticleSystem("nuke3", &where), nullptr);
    ASSERT_EQ(lights.size(), 1u);
    EXPECT_EQ(lights[0].y, 20.0f);
    ParticleSystemManager::DestroyInstance();
}

TEST_F(ParticleManagerTest, EveryDefinitionFileBecomesATemplateEvenOneThatFailsToParse) {
    ASSERT_EQ(manager->Templates().size(), 3u);
    for (const ParticleSystemCPU* templ : manager->Templates()) {
        EXPECT_EQ(templ->particles.size(), static_cast<std::size_t>(templ->settings.numParticles));
    }
    const ParticleSystemCPU* broken = nullptr;
    for (const ParticleSystemCPU* templ : manager->Templates()) {
        if (templ->settings.systemName == "Broken") {
            broken = templ;
        } else {
            EXPECT_NE(templ->settings.definitionName.find(".txt"), std::string::npos);
        }
    }
    ASSERT_NE(broken, nullptr);
    EXPECT_TRUE(broken->settings.definitionName.empty());
}

TEST_F(ParticleManagerTest, SystemsAreClonedFromTheFirstTemplateOfTheirName) {
    ParticleSystemCPU* atTemplate = manager->CreateParticleSystem("Smoke", nullptr);
    ASSERT_NE(atTemplate, nullptr);
    EXPECT_EQ(atTemplate->particles.size(), 6u); // smoke.txt comes before smoke2.txt
    EXPECT_EQ(atTemplate->position.y, 2.0f);
    EXPECT_EQ(atTemplate->previousPosition.z, 3.0f);
    EXPECT_EQ(atTemplate->active, 1);
    const Vector where(4, 5, 6);
    ParticleSystemCPU* placed = manager->CreateParticleSystem("Smoke", &where);
    ASSERT_NE(placed, nullptr);
    EXPECT_NE(placed, atTemplate);
    EXPECT_EQ(placed->position.x, 4.0f);
    EXPECT_EQ(manager->Systems().back(), placed);

    EXPECT_EQ(manager->CreateParticleSystem("Missing", nullptr), nullptr);
    EXPECT_NE(manager->CreateParticleSystemByIndex(2, nullptr), nullptr);
    EXPECT_EQ(manager->CreateParticleSystemByIndex(3, nullptr), nullptr);
    EXPECT_EQ(manager->Systems().size(), 3u);
}

TEST_F(ParticleManagerTest, RemovingDeactivatingAndDetachingLetGoOfTheOwner) {
    GameObject object("Chimney");
    ParticleSystemCPU* removed = manager->CreateParticleSystem("Smoke", nullptr);
    ParticleSystemCPU* deactivated = manager->CreateParticleSystem("Smoke", nullptr);
    ParticleSystemCPU* detached = manager->CreateParticleSystem("Smoke", nullptr);
    for (ParticleSystemCPU* s : {removed, deactivated, detached}) {
        object.AddComponent(ComponentType::ParticleSystem, s);
    }

    EXPECT_TRUE(manager->RemoveSystem(removed));
    EXPECT_FALSE(manager->RemoveSystem(removed));
    EXPECT_TRUE(manager->DeactivateSystem(deactivated));
    EXPECT_EQ(deactivated->owner, nullptr);
    EXPECT_EQ(deactivated->settings.systemLife, 0.0f);
    EXPECT_TRUE(manager->ContainsSystem(deactivated));
    EXPECT_EQ(object.GetComponent(ComponentType::ParticleSystem), detached);

    manager->DetachAll();
    EXPECT_TRUE(manager->Systems().empty());
    EXPECT_EQ(object.GetComponent(ComponentType::ParticleSystem), nullptr);
    EXPECT_FALSE(manager->DeactivateSystem(deactivated));
    EXPECT_EQ(manager->Templates().size(), 3u);
}

TEST_F(ParticleManagerTest, TheScriptHostReachesTheSystemsWhileTheManagerExists) {
    ParticleSystemLink* link = ParticleSystemLink::Installed();
    ASSERT_NE(link, nullptr);
    ParticleSystemCPU* system = link->Create("Smoke");
    ASSERT_NE(system, nullptr);
    EXPECT_TRUE(manager->ContainsSystem(system));
    link->SetBornDelayLow(system, 0.1f);
    link->SetBornDelayHigh(system, 0.2f);
    EXPECT_EQ(system->settings.bornDelayLow, 0.1f);
    EXPECT_EQ(system->settings.bornDelayHigh, 0.2f);
    EXPECT_EQ(link->AsComponent(system), static_cast<Component*>(system));
    EXPECT_EQ(link->Create("Missing"), nullptr);

    ParticleSystemManager::DestroyInstance();
    EXPECT_EQ(ParticleSystemLink::Installed(), nullptr);
}

// A system started outside the renderer and put on an object (an objective marker, a script's
// attach) was left following the object after the object was deleted.
TEST_F(ParticleManagerTest, AnObjectThatGoesLetsGoOfTheSystemsItWasGivenAndTheyRunOut) {
    package_fixture::ScratchFolder folder;
    const auto package = package_fixture::MakePackage(
        folder.Path(), "markers",
        {{"marker.txt", "SystemName = Marker\nNumParticles = 4\nUseObjectPosition = 1\n"
                        "EmitRate = 100\nSystemLife = -1\n"}});
    manager->LoadTemplates(package.string());
    ParticleSystemLink* const link = ParticleSystemLink::Installed();
    ASSERT_NE(link, nullptr);

    struct Case {
        const char* how;
        ParticleSystemCPU* (*start)(ParticleSystemManager&, ParticleSystemLink&);
    };
    const Case cases[] = {
        {"by the manager",
         [](ParticleSystemManager& m, ParticleSystemLink&) {
             return m.CreateParticleSystem("Marker", nullptr);
         }},
        {"through the scripts' link",
         [](ParticleSystemManager&, ParticleSystemLink& l) { return l.Create("Marker"); }},
    };
    for (const Case& c : cases) {
        auto object = std::make_unique<GameObject>("Tank");
        object->position = Vector(10, 0, 0);
        ParticleSystemCPU* const system = c.start(*manager, *link);
        ASSERT_NE(system, nullptr) << c.how;
        object->AddComponent(ComponentType::ParticleSystem, link->AsComponent(system));
        manager->Update(0.05f);

        object.reset();
        ASSERT_TRUE(manager->ContainsSystem(system)) << c.how;
        EXPECT_EQ(system->owner, nullptr) << c.how;
        EXPECT_EQ(system->settings.systemLife, 0.0f) << c.how << ": it stops emitting";
        // Frames after the object has gone touch only the system (the sanitizer build
        // catches a read of the deleted object), and the spent system goes.
        for (int frame = 0; frame < 100 && manager->ContainsSystem(system); ++frame) {
            manager->Update(0.1f);
        }
        EXPECT_FALSE(manager->ContainsSystem(system)) << c.how;
    }
}

} // namespace
