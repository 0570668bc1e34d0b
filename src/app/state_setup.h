#pragma once
// What the intro, menu and level states do alike while they set themselves up: which
// process builds which component type, the copy of the object definitions, the background
// resource loaders and the renderer's scene settings.
#include <memory>
#include <string>

#include "core/asset_paths.h"
#include <boost/shared_ptr.hpp>

class ComponentProcess;
class GameState;
class GraphicsPreloader;
class GraphicsProcess;
class Process;
class ResourceLoaderProcess;

namespace state_setup {

// The menu's 3D scene; the intro screens load it in the background.
inline constexpr const char* kMenuLevelPath = asset_path::kMenuLevel;

// "UIElement" to "UIInput" to the state's UI process.
void MapUIComponents(GameState& state, ComponentProcess* ui);
// "Graphic", "Sprite" and "Light" to the renderer, and "ParticleSystem" too when asked.
void MapGraphicsComponents(GameState& state, bool particleSystems);
// "SoundPlayer" to the sound process.
void MapSoundComponents(GameState& state);
// The parser's definitions (read once per run) into the state's own copy.
void CopyDefinitions(GameState& state);

// The renderer's loaders for a state's resource loaders; null without a renderer, and the
// loaders then walk the definitions without loading anything.
std::unique_ptr<GraphicsPreloader> MakePreloader(GraphicsProcess* graphics);
// A resource loader for the script, bound at the state's router as the loader handler.
boost::shared_ptr<ResourceLoaderProcess>
MakeResourceLoader(GameState& state, GraphicsPreloader* preloader, const std::string& script);
// Runs the process freely on a thread of the state's threaded process manager.
void AddFreeRunning(GameState& state, boost::shared_ptr<Process> process, int priority);

// The renderer's exposure, light multiplier, fog range and far distance for the scene.
void SendSceneSettings(GameState& state, float exposure, float lightMultiplier, float fogRange,
                       float farDistance);
// The stored "Shadows" option to the renderer.
void SendShadowOption(GameState& state);
// Around a change of state: the old state marks every sound unused, the new one asks for
// what it needs and then lets the rest go. Nothing without a sound process.
void MarkSoundsUnused(GameState& state);
void ReleaseUnusedSounds(GameState& state);
// Keeps the renderer's 3D setting in saved and sets it to 1, its default, while the state
// runs; the state puts the saved one back through SendThreeDeeSetting.
void SaveThreeDeeSetting(GameState& state, unsigned int* saved);
void SendThreeDeeSetting(GameState& state, unsigned int setting);
// MSG_SOUND_MUTE_GROUP or MSG_SOUND_UNMUTE_GROUP for the effects and the music.
void SendToEffectsAndMusic(GameState& state, unsigned int type);
// The Lua state the state made for its own script, if any.
void DeleteLuaState(GameState& state);
// A message without payload, sent at once.
void Post(GameState& state, unsigned int type, unsigned int toId);

} // namespace state_setup
