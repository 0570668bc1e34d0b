#pragma once
// The keeper of everything the game reads from and writes to XML: the object definitions,
// the key bindings, the graphics and sound options and the high scores. It lives for the
// whole run in the Game's process manager as handler 5. The Load functions read a file once
// and then serve the stored copy (unless told not to use it); callers change the stored copy
// through the returned pointer and call the matching Save function. The option files live
// in the save folder (GetSaveFolder), which is looked up anew for every file.
#include <string>

#include "content/game_object_definition_map.h"
#include "content/highscore_table.h"
#include "content/options.h"
#include "core/asset_paths.h"
#include "core/handler_ids.h"
#include "core/process.h"

class ParserProcess : public Process {
  public:
    static constexpr u32 kHandlerId = HANDLER_PARSER_PROCESS;

    ParserProcess() = default;
    ~ParserProcess() override = default;
    void Update(float dt) override {}
    void Initialize() override {}
    // MSG_PARSER_GAME_OBJECTS: answers the sender at once with a pointer to the definitions.
    // MSG_PARSER_SAVE_GAME_OBJECTS: stores the map it carries and saves it.
    void HandleMessage(BaseMessage* msg, u32 fromId) override;

    static GraphicsOptions* LoadGraphicsOptions(ParserProcess* parser, bool useCache);
    static SoundOptions* LoadSoundOptions(ParserProcess* parser, bool useCache);
    // The stored bindings count as loaded only while every movement and action control
    // has a code, so a file that binds one of them to 0 is read again on the next request.
    static KeyBindings* LoadKeyboardControls(ParserProcess* parser, bool useCache);
    static HighscoreTable* LoadHighscores(ParserProcess* parser, bool useCache);

    static bool SaveGraphicsOptions(ParserProcess* parser);
    static bool SaveSoundOptions(ParserProcess* parser);
    static bool SaveKeyboardControls(ParserProcess* parser);
    static bool SaveHighscores(ParserProcess* parser);

    // A finished game's score: loads the table (cached), inserts by the table's rule and
    // saves it when the score made the table. Returns its place or -1.
    static int AddHighscore(ParserProcess* parser, const std::string& name, f64 score);

    GameObjectDefinitionMap m_definitions;
    KeyBindings m_controls;
    GraphicsOptions m_graphics;
    SoundOptions m_sound;
    HighscoreTable m_highscores;
    u8 m_graphics_loaded = 0;
    u8 m_sound_loaded = 0;
    u8 m_highscores_loaded = 0;
    // Where the object definitions are read from; tests point it at a package of their own.
    std::string m_levels_package_path = asset_path::kLevelsPackage;
};
