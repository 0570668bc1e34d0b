// The built packages hold every particle system, sound and tune the robot, the city and the
// story ask for by name.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "content/file_package.h"
#include "content/package_format.h"
#include "graphics/particle_system_cpu.h"
#include "graphics/particle_system_manager.h"

namespace {

const std::string kPackages = std::string(GORVANE_ASSETS_DIR) + "/packages/";

struct Named {
    const char* package;
    const char* name;
};

// Particle systems by system name; sounds and tunes by the path the game asks for, which
// the package holds under its last part.
const Named kNames[] = {
    {"particles", "explosion"},
    {"particles", "dust_small"},
    {"particles", "PowerRelaySparks"},
    {"particles", "MissileExplosion"},
    {"particles", "missileexplosion"},
    {"particles", "ElectricSparks"},
    {"particles", "LaserExplosion"},
    {"particles", "RobotGroundPoundDust"},
    {"particles", "RobotLandingDust"},
    {"particles", "RobotMeterSparks"},
    {"particles", "Sparks"},
    {"particles", "Firesmoke1"},
    {"particles", "Firesmoke2"},
    {"particles", "Reticle"},
    {"particles", "Objective"},
    {"particles", "LaserCooldown"},
    {"sounds", "sound fx/punch.mp3"},
    {"sounds", "sound fx/walk.mp3"},
    {"sounds", "sound fx/hum.mp3"},
    {"sounds", "sound fx/laser.mp3"},
    {"sounds", "sound fx/medium_explosion.mp3"},
    {"sounds", "sound fx/electrical_explosion.mp3"},
    {"sounds", "sound fx/punch_impact.mp3"},
    {"sounds", "sound fx/building_impact1.mp3"},
    {"sounds", "sound fx/building_impact2.mp3"},
    {"sounds", "sound fx/building_impact3.mp3"},
    {"sounds", "music/Game Intro [in game].mp3"},
    {"sounds", "music/A Robot's Afoot [in game].mp3"},
    {"sounds", "music/Attack The City [in game].mp3"},
    {"sounds", "music/Flight Of The UFO [in game].mp3"},
    {"sounds", "music/Mothership [in game].mp3"},
    {"sounds", "music/UFO Intro [in game].mp3"},
    {"sounds", "music/UFO Boom and Mothership Intro [in game].mp3"},
    {"sounds", "music/music.mp3"},
    {"particles", "CitizenDeath"},
    {"particles", "unitexplosion"},
    {"particles", "ObjectiveSmall"},
    {"particles", "CitizenFlame"},
    {"particles", "CitizenSmoke"},
    {"particles", "CitizenIgnite"},
};

TEST(ContentNamesTest, EveryNamedParticleSystemSoundAndTuneIsInItsPackage) {
    ParticleSystemManager* manager = ParticleSystemManager::Instance();
    manager->LoadTemplates(kPackages + "particles.kzp");
    std::set<std::string> systems;
    for (const ParticleSystemCPU* templ : manager->Templates()) {
        systems.insert(templ->settings.systemName);
    }
    FilePackage sounds;
    ASSERT_TRUE(sounds.Open(kPackages + "sounds.kzp"));
    for (const Named& named : kNames) {
        if (std::string(named.package) == "particles") {
            EXPECT_EQ(systems.count(named.name), 1u) << named.name;
        } else {
            EXPECT_GE(sounds.FindEntry(kzp::LowerCase(FilePackage::SplitPath(named.name))), 0)
                << named.name;
        }
    }
    ParticleSystemManager::DestroyInstance();
}

} // namespace
