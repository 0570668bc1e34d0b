#pragma once
// Preloads, on a thread of its own, the meshes, textures and sound effects a level will
// need, so that building the level's objects does not stall the frame. The object types a
// level uses are guessed from the quoted strings of its script, plus the types the game
// creates at run time; then every update does one small step: the graphics of one object
// definition, or one sound effect. The screens ask IsLoaded whether a script is ready.
//
// What has been scanned and loaded is shared by all loaders and kept for the whole run, so
// a script is scanned once and a second loader for it only walks what is left. Every step
// and every question holds the "Loading" mutex, which hands over to a waiting thread
// whenever a step ends, so a screen that polls IsLoaded never waits out the whole load.
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "content/game_object_definition_map.h"
#include "core/asset_paths.h"
#include "core/handler_ids.h"
#include "core/process.h"
#include "core/types.h"

class GraphicsPreloader;

class ResourceLoaderProcess : public Process {
  public:
    static constexpr u32 kHandlerId = HANDLER_RESOURCE_LOADER_PROCESS;
    // A level runs its loader free-running at this priority (highest).
    static constexpr int kLevelThreadPriority = 2;
    static constexpr u32 kSoundProcessId = HANDLER_SOUND_PROCESS;
    static constexpr const char* kLevelsPackage = asset_path::kLevelsPackage;
    static constexpr const char* kSoundsPackage = asset_path::kSoundsPackage;
    // Sound effects are asked for under this folder and their package entry name.
    static constexpr const char* kSoundFolder = asset_path::kSoundFolder;

    // Copies the definitions into the shared copy when that is still empty. Either pointer
    // may be null: without a renderer the definitions are walked and nothing is loaded.
    ResourceLoaderProcess(GraphicsPreloader* graphics, std::string scriptPath,
                          const GameObjectDefinitionMap* definitions);
    ~ResourceLoaderProcess() override = default;

    // One step under the "Loading" mutex; kills the process once nothing is left.
    void Update(float dt) override;
    // Scans the script, once per script path for the whole run, under the "Loading" mutex.
    void Initialize() override;

    // Whether every step for this script has been done; false for a script never scanned.
    static bool IsLoaded(const std::string& scriptPath);
    // Each text between a pair of double quotes on one line; a quote left open runs to the
    // end of its line.
    static std::vector<std::string> ScanQuotedStrings(std::string_view text);
    // The object types of the last scan: true while still to be loaded.
    static std::map<std::string, bool> Requested();
    // Forgets every scan, status, definition and sound, for a fresh start (the editor after
    // it changed the object types, and tests).
    static void ClearShared();

    const std::string& ScriptPath() const { return m_scriptPath; }

    // Where the script and the sound effects are read from; tests use packages of their own.
    std::string m_levelsPackagePath = kLevelsPackage;
    std::string m_soundsPackagePath = kSoundsPackage;

  private:
    void Step();
    void LoadComponents(ComponentDefinitionList& components);
    void LoadGraphic(StreamMap& stream);
    void LoadSprite(StreamMap& stream);
    void AddRunTimeTypes();
    void ListSounds();

    GraphicsPreloader* m_graphics;
    std::string m_scriptPath;
    bool m_started = false;
};
