#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/menu_state.h"
#include "app/state_fixture.h"
#include "content/resource_loader_process.h"
#include "core/threaded_process.h"
#include "support/package_fixture.h"
#include "ui/ui_process.h"

namespace {

using state_fixture::StateFixture;
using Strings = std::vector<std::string>;

class MenuStateTest : public StateFixture {
  protected:
    MenuStateTest() {
        Define({"MenuRobot"});
        const std::string levels =
            package_fixture::MakePackage(m_scratch.Path(), "levels",
                                         {{"menu_level.lua", "CreateGameObject(\"MenuRobot\")\n"}})
                .string();
        lua.SetPackagePaths(levels, LuaHandler::kParticlesPackage);
    }

    package_fixture::ScratchFolder m_scratch;
};

TEST_F(MenuStateTest, StartsWithItsCameraSceneInputSoundAndFadeInThatOrder) {
    ParserProcess::LoadGraphicsOptions(&parser, true)->m_shadows = false;
    auto menu = Make<MenuState>("Menu");
    menu->Initialize();
    EXPECT_TRUE(menu->m_initialized);
    EXPECT_EQ(Lines(), (Strings{
                           "1:MSG_PLAYER_CAMERA",
                           "1:MSG_GRAPHICS_SET_EXPOSURE_VALUE 1.2",
                           "1:MSG_GRAPHICS_SET_LIGHT_MULTIPLIER 0.6",
                           "1:MSG_GRAPHICS_SET_FOG_RANGE 12000",
                           "1:MSG_GRAPHICS_SET_FDIST 0.98",
                           "1:MSG_GRAPHICS_ENABLE_SHADOWS 0",
                           "1:MSG_GRAPHICS_RANDOM_CAMERA_SHAKE 0",
                           "1:MSG_GRAPHICS_MOTION_BLUR 0",
                           "3:MSG_INPUT_SWITCH_MENU",
                           "3:MSG_INPUT_DISPLAY_CURSOR 1",
                           "2:MSG_SOUND_UNMUTE_GROUP 0",
                           "2:MSG_SOUND_UNMUTE_GROUP 1",
                           "2:MSG_GET_SOUND_STREAM_INSTANCE " + std::string(MenuState::kMusic),
                           "1:MSG_GRAPHICS_FADE_IN 1",
                       }));
    const PlayerInfo& camera = graphics.camera;
    EXPECT_EQ(camera.m_target, Vector(50.0f, -34.0f, 30.0f));
    EXPECT_EQ(camera.m_eye, Vector(-12.0f, -22.0f, -72.0f));
    EXPECT_EQ(camera.m_controls.m_movement, Vector(0.0f, 0.0f, 0.0f));
    menu->Exit();
}

TEST_F(MenuStateTest, WithoutAMusicInstanceTheMenuStillStarts) {
    // The stand-in sound process answers the request with null, as the real one does when
    // the file is missing.
    auto menu = Make<MenuState>("Menu");
    menu->Initialize();
    EXPECT_EQ(menu->m_music, nullptr);
    EXPECT_TRUE(menu->m_initialized);
    menu->Exit();
}

TEST_F(MenuStateTest, TheMenuLevelScriptBuildsTheSceneInTheMenusOwnLuaState) {
    auto menu = Make<MenuState>("Menu");
    menu->Initialize();
    EXPECT_EQ(ObjectNames(*menu), Strings{"MenuRobot"});
    ASSERT_NE(menu->m_lua_state, 0u);
    EXPECT_TRUE(lua.HasState(menu->m_lua_state));
    EXPECT_EQ(lua.CurrentStateId(), menu->m_lua_state);

    const u32 script = menu->m_lua_state;
    menu->Exit();
    EXPECT_TRUE(menu->Objects().empty());
    EXPECT_FALSE(lua.HasState(script));
    EXPECT_EQ(lua.StateCount(), 1u);
}

TEST_F(MenuStateTest, LoadsTheChosenLevelAndRunsTheMenuScreen) {
    LevelPath = "./assets/levels/endless_mode.lua";
    auto menu = Make<MenuState>("Menu");
    menu->Initialize();

    const ResourceLoaderProcess* loader = SoleFreeRunningLoader(*menu, 0);
    ASSERT_NE(loader, nullptr);
    EXPECT_EQ(loader->ScriptPath(), LevelPath);
    EXPECT_EQ(loader->id, HANDLER_RESOURCE_LOADER_PROCESS);

    ASSERT_EQ(menu->m_process_manager.processes.size(), 1u);
    const auto* ui = dynamic_cast<UIProcess*>(menu->m_process_manager.processes.front().get());
    ASSERT_NE(ui, nullptr);
    EXPECT_EQ(ui->m_stateName, "Menu");
    EXPECT_EQ(ui->id, HANDLER_UI_PROCESS);
    EXPECT_EQ(ui->m_stateHandlerId, menu->m_state_id);
    EXPECT_EQ(menu->GetComponentProcess(ComponentType::UIButton), ui);
    menu->Exit();
    EXPECT_FALSE(menu->m_process_manager.HasProcesses());
    EXPECT_FALSE(menu->m_threaded_process_manager.HasProcesses());
}

TEST_F(MenuStateTest, KeepsTheSoundInstanceItIsGivenAndPassesOtherMessagesOn) {
    auto menu = Make<MenuState>("Menu");
    auto* const music = reinterpret_cast<SoundInstance*>(&journal);
    Message<SoundInstance*> instance(MSG_SOUND_INSTANCE, music);
    menu->HandleMessage(&instance, HANDLER_SOUND_PROCESS);
    EXPECT_EQ(menu->m_music, music);

    menu->m_definitions["Tree"];
    Message<std::string> create(MSG_LEVEL_CREATE_OBJECT, "Tree");
    menu->HandleMessage(&create, HANDLER_LUA_HANDLER);
    EXPECT_EQ(ObjectNames(*menu), Strings{"Tree"});
    menu->m_music = nullptr;
}

} // namespace
