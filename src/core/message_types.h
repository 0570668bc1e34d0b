#pragma once
// Message type ids, in their fixed order: the numbers appear in logs and handler tables.
// Each line names the payload its senders attach (see Message<T>); "or" marks ids
// sent with more than one payload type, which handlers read through ValueOr/Payload.

#include "core/types.h"

enum MessageType : u32 {
    MSG_NULL,                           // 0: no payload fixed by its senders
    MSG_PLAYER_COMPONENT,               // 1: PlayerComponent*
    MSG_AI_OBJECT_COLLISION,            // 2: no payload fixed by its senders
    MSG_SEEK_ARRIVAL,                   // 3: none
    MSG_AI_OBJECT,                      // 4: GameObject*
    MSG_AI_OBJECT_VALID,                // 5: bool or GameObject*
    MSG_AI_OBJECT_TO_GRAB,              // 6: std::pair<GameObject*, Vector>
    MSG_GRAB,                           // 7: none or unsigned int
    MSG_THROWN,                         // 8: none
    MSG_LASER_OBJ,                      // 9: none or GameObject*
    MSG_BUILDING_COUNT,                 // 10: std::string
    MSG_CITIZEN_PANIC,                  // 11: none
    MSG_AI_OBJECT_TO_LASER,             // 12: std::pair<GameObject*, Vector>
    MSG_AI_OBJECT_TO_THROW_TO,          // 13: std::pair<GameObject*, Vector>
    MSG_LASER_KRAID,                    // 14: no payload fixed by its senders
    MSG_KILL_ALL_AI_AGENTS,             // 15: none
    MSG_GRID_IS_ACTIVE,                 // 16: no payload fixed by its senders
    MSG_ENDLESS_MODE_ON,                // 17: bool
    MSG_OBJECT_LEVEL_SPAWN,             // 18: std::string
    MSG_AGENT_DIED,                     // 19: std::string
    MSG_BUILDING_DESTRUCTION,           // 20: std::pair<std::string, bool>
    MSG_RESET_OVERALL_KILL_COUNT,       // 21: no payload fixed by its senders
    MSG_RESET_KILL_COUNT,               // 22: no payload fixed by its senders
    MSG_PLAY_MUSIC,                     // 23: none
    MSG_PLAY_INTRO_MUSIC,               // 24: none
    MSG_PLAY_AMBUSH_MUSIC,              // 25: no payload fixed by its senders
    MSG_PLAY_UFO_MUSIC,                 // 26: no payload fixed by its senders
    MSG_PLAY_MOTHERSHIP_MUSIC,          // 27: none
    MSG_INC_AGENT_COUNT,                // 28: std::string
    MSG_TUTORIAL_RIGHTMOUSE_OBJ_LIGHTS, // 29: none
    MSG_TUTORIAL_LASER_OBJ_LIGHTS,      // 30: none
    MSG_TUTORIAL_GASSTATION_OBJ_LIGHTS, // 31: none
    MSG_TURN_HEADQUARTERS_LIGHT_ON,     // 32: none
    MSG_TURN_POWER_OBJECT_ON,           // 33: none
    MSG_REMOVE_COUNT,                   // 34: RemoveCount
    MSG_PAUSE_MUSIC,                    // 35: no payload fixed by its senders
    MSG_UNPAUSE_MUSIC,                  // 36: no payload fixed by its senders
    MSG_SPAWN_ADD_COUNT,                // 37: int
    MSG_SPAWN_CLEAR_COUNT,              // 38: none
    MSG_SPAWN_CONSTANT,                 // 39: none
    MSG_SPAWN_AGENTS,                   // 40: SpawnStruct
    MSG_PLAYER_HEALTH,                  // 41: float
    MSG_PLAYER_POWERUP_LEVEL_INCREASE,  // 42: no payload fixed by its senders
    MSG_PLAYER_POWER_LEVEL,             // 43: none
    MSG_PLAYER_XP,                      // 44: float or double
    MSG_CAMERA_BOSS_ARRIVE,             // 45: no payload fixed by its senders
    MSG_CAMERA_BOSS_DIE,                // 46: no payload fixed by its senders
    MSG_CAMERA_PLAYER_WIN,              // 47: none
    MSG_GAME_SWITCH_STATE,              // 48: std::string
    MSG_GAME_PUSH_STATE,                // 49: std::string
    MSG_GAME_POP_STATE,                 // 50: none
    MSG_GAME_QUIT,                      // 51: none
    MSG_GAME_HWND,                      // 52: HWND
    MSG_PROCESS_TIMINGS,                // 53: any (ignored)
    MSG_LEVEL_EDITOR_MODE,              // 54: bool
    MSG_GAME_SET_WINDOW_FOCUS,          // 55: none
    MSG_GAME_DT_MODIFIER,               // 56: float
    MSG_LEVEL_CREATE_OBJECT,            // 57: std::string
    MSG_LEVEL_OBJECT_CREATED,           // 58: GameObject*
    MSG_LEVEL_DELETE_OBJECT,            // 59: GameObject*
    MSG_COMPONENT_LIST,      // 60: std::string or std::multimap<ComponentType, StreamMap>
    MSG_UPDATE_COMPONENT,    // 61: StreamMap
    MSG_ADD_COMPONENT,       // 62: StreamMap
    MSG_REMOVE_COMPONENT,    // 63: std::pair<std::string, ComponentIndex>
    MSG_ADD_GAME_OBJECT,     // 64: std::pair<std::string, std::multimap<ComponentType, StreamMap>>
    MSG_REMOVE_GAME_OBJECT,  // 65: std::string
    MSG_SAVE_XML,            // 66: none
    MSG_RESET_XML,           // 67: none
    MSG_PARSER_GAME_OBJECTS, // 68: none (request) or GameObjectDefinitionMap*
    MSG_PARSER_SAVE_GAME_OBJECTS,       // 69: GameObjectDefinitionMap
    MSG_LEVEL_PAUSE_PROCESSES,          // 70: std::vector<unsigned int>
    MSG_LEVEL_UNPAUSE_PROCESSES,        // 71: std::vector<unsigned int>
    MSG_LEVEL_GET_OCTREE,               // 72: none
    MSG_LEVEL_OCTREE,                   // 73: no payload fixed by its senders
    MSG_PAUSE_COMPONENT_UPDATE,         // 74: none
    MSG_UNPAUSE_COMPONENT_UPDATE,       // 75: none
    MSG_LEVEL_LOADING_COMPLETE,         // 76: none
    MSG_LEVEL_INITIALIZE_OCTREE,        // 77: none
    MSG_LEVEL_PROCESS_UPDATE_ONCE,      // 78: float
    MSG_LEVEL_FILM_LEAD_STARTED,        // 79: none
    MSG_LEVEL_FILM_LEAD_ENDED,          // 80: none
    MSG_LEVEL_TOWER_SIZE,               // 81: Vector
    MSG_LEVEL_TOWER_LOCATION,           // 82: Vector
    MSG_GET_OBJECT_NAMES_WITH_TYPE,     // 83: std::vector<std::string> or ComponentType
    MSG_PAUSE_TRIGGER,                  // 84: none or bool
    MSG_BULLET_VALID,                   // 85: bool or GameObject*
    MSG_INPUT,                          // 86: no payload fixed by its senders
    MSG_PLAYER_CAMERA,                  // 87: PlayerInfo
    MSG_CONSOLE,                        // 88: ConsoleCmd
    MSG_GRAPHIC_INPUT,                  // 89: InputState
    MSG_EDITOR_INPUT,                   // 90: InputState
    MSG_MENU_INPUT,                     // 91: InputState
    MSG_INPUT_SWITCH_EDITOR,            // 92: none
    MSG_INPUT_SWITCH_MENU,              // 93: none
    MSG_INPUT_SWITCH_GAME,              // 94: none
    MSG_INPUT_SWITCH_PAUSE,             // 95: none
    MSG_INPUT_SWITCH_INTRO,             // 96: none
    MSG_INPUT_FORCE_UPDATE,             // 97: none
    MSG_INPUT_DISPLAY_CURSOR,           // 98: bool
    MSG_INPUT_DISABLE_MENU,             // 99: none
    MSG_INPUT_ENABLE_MENU,              // 100: none
    MSG_INPUT_GET_INPUT_STATE,          // 101: none
    MSG_INPUT_STATE,                    // 102: InputState
    MSG_DISABLE_AI,                     // 103: none
    MSG_DISABLE_DEALTH,                 // 104: no payload fixed by its senders
    MSG_DISABLE_OBJECTIVE,              // 105: no payload fixed by its senders
    MSG_RUMBLE_EVENT,                   // 106: no payload fixed by its senders
    MSG_SETUP_CONTROLS_KEYBOARD,        // 107: KeyBindings
    MSG_SETUP_CONTROLS_XBOX,            // 108: no payload fixed by its senders
    MSG_SET_DEFAULT_CONTROLS,           // 109: unsigned int
    MSG_INPUT_SET_X_SENSITIVITY,        // 110: float
    MSG_INPUT_SET_Y_SENSITIVITY,        // 111: float
    MSG_CHECK_FOR_ANY_KEY,              // 112: no payload fixed by its senders
    MSG_CREATE_PARTICLE_SYSTEM,         // 113: ParticleSystemInfo
    MSG_PARTICLE_SYSTEM,                // 114: ParticleSystemCPU*
    MSG_GRAPHICS_CHECK_WINDOWED,        // 115: none
    MSG_GRAPHICS_WINDOWED,              // 116: bool
    MSG_GRAPHICS_MOTION_BLUR,           // 117: float
    MSG_GRAPHICS_LASER_BEAM_CREATION,   // 118: LaserBeamInfo
    MSG_GRAPHICS_LASER_BEAM_UPDATE,     // 119: LaserBeamInfo
    MSG_GRAPHICS_LASER_BEAM_DELETION,   // 120: LaserBeamInfo
    MSG_GRAPHICS_SAVE_SCREENSHOT,       // 121: none
    MSG_GRAPHICS_EXPOSURE_CHANGE_START, // 122: std::pair<float, float>
    MSG_GRAPHICS_EXPOSURE_CHANGE_END,   // 123: float
    MSG_GRAPHICS_EXPOSURE_TEMP_CHANGE,  // 124: std::vector<float>
    MSG_GRAPHICS_FULLSCREEN_SWITCH,     // 125: none
    MSG_GRAPHICS_FULLSCREEN_SET,        // 126: bool
    MSG_GRAPHICS_RANDOM_CAMERA_SHAKE,   // 127: float
    MSG_GRAPHICS_BREAK_OBJECT,       // 128: std::pair<GraphicComponent*, bool> or GraphicComponent*
    MSG_GRAPHICS_SET_EXPOSURE_VALUE, // 129: float
    MSG_GRAPHICS_GET_EXPOSURE_VALUE, // 130: none
    MSG_GRAPHICS_EXPOSURE_VALUE,     // 131: float
    MSG_GRAPHICS_SET_LIGHT_MULTIPLIER,    // 132: float
    MSG_GRAPHICS_SET_FOG_RANGE,           // 133: float
    MSG_GRAPHICS_SET_FDIST,               // 134: float
    MSG_GRAPHICS_PLAY_FILM_LEAD,          // 135: none
    MSG_GRAPHICS_STOP_FILM_LEAD,          // 136: none
    MSG_GRAPHICS_FADE_IN,                 // 137: float
    MSG_GRAPHICS_FADE_OUT,                // 138: float
    MSG_GRAPHICS_PLAY_CREDITS,            // 139: none
    MSG_GRAPHICS_STOP_CREDITS,            // 140: none
    MSG_GRAPHICS_GET_GRAPHICS_ANIMATION,  // 141: std::string
    MSG_GRAPHICS_GRAPHICS_ANIMATION,      // 142: GraphicsAnimationMap*
    MSG_GRAPHICS_PARTICLE_SYSTEM_VALID,   // 143: bool or ParticleSystemCPU*
    MSG_GRAPHICS_INITIALIZE,              // 144: none
    MSG_GRAPHICS_GET_COLLISION_MESH_DATA, // 145: std::pair<std::vector<PhysicsInfo>*,
                                          // std::pair<std::string, GameObject*>>
    MSG_GRAPHICS_GET_THREE_DEE_SETTING,   // 146: unsigned int*
    MSG_GRAPHICS_SET_THREE_DEE_SETTING,   // 147: int or unsigned int
    MSG_GRAPHICS_SET_MOTION_BLUR_SETTING, // 148: bool
    MSG_GRAPHICS_GET_MOTION_BLUR_SETTING, // 149: bool*
    MSG_GRAPHICS_CHANGE_RESOLUTION,       // 150: none
    MSG_GRAPHICS_ENABLE_SHADOWS,          // 151: bool
    MSG_GRAPHICS_GET_USE_NORMAL_DEFERRED_SHADER_QUALITY, // 152: bool*
    MSG_GRAPHICS_SET_USE_NORMAL_DEFERRED_SHADER_QUALITY, // 153: bool
    MSG_GRAPHICS_DISPLAY_GRAPHICS_TEXT,                  // 154: TextGraphicStruct*
    MSG_GRAPHICS_UNDISPLAY_GRAPHICS_TEXT,                // 155: TextGraphic*
    MSG_PHYSICS_COLLISION,                               // 156: Collision
    MSG_PHYSICS_RADIAL_FORCE,                            // 157: RadialForce
    MSG_PHYSICS_FORCE,                                   // 158: float
    MSG_PHYSICS_PAUSE,                                   // 159: no payload fixed by its senders
    MSG_PHYSICS_GET_OCTREE,                              // 160: none
    MSG_PHYSICS_OCTREE,                                  // 161: no payload fixed by its senders
    MSG_PHYSICS_FOCUS_POSITION,                          // 162: no payload fixed by its senders
    MSG_PHYSICS_FOCUS_DIRECTION,                         // 163: no payload fixed by its senders
    MSG_PHYSICS_UPDATE,                                  // 164: none
    MSG_PHYSICS_SET_OBJECTS_COLLIDABLE, // 165: std::pair<std::pair<GameObject*, GameObject*>, bool>
    MSG_BUILDING_TO_GRAB,               // 166: std::pair<GameObject*, Vector>
    MSG_BUILDING,                       // 167: GameObject*
    MSG_BUILDING_VALID,                 // 168: bool
    MSG_DAMAGE_BUILDING,                // 169: std::pair<GameObject*, float>
    MSG_BUILDING_DAMAGE_MULTIPLIER,     // 170: float
    MSG_BUILDING_STOP_SPAWNING,         // 171: none
    MSG_BUILDING_START_SPAWNING,        // 172: none
    MSG_BUILDING_OBJECTIVE_IN_MENU,     // 173: none
    MSG_BUILDING_OBJECTIVE_IN_GAME,     // 174: none
    MSG_BUILDING_GET_BUILDINGS,         // 175: none
    MSG_BUILDINGS,                      // 176: Quadtree<BuildingComponent*>*
    MSG_BUILDINGS_MAX_RESPAWN_HEIGHT,   // 177: float
    MSG_LOAD_SOUND,                     // 178: std::string
    MSG_LOAD_SOUND_STREAM,              // 179: std::string
    MSG_GET_SOUND_INSTANCE,             // 180: std::string
    MSG_GET_SOUND_STREAM_INSTANCE,      // 181: std::string
    MSG_RELEASE_SOUND_INSTANCE,         // 182: SoundInstance*
    MSG_SOUND_INSTANCE,                 // 183: SoundInstance*
    MSG_SOUND_LISTENER_POSITION,        // 184: Vector
    MSG_SOUND_SET_MASTER_VOLUME,        // 185: float
    MSG_SOUND_SET_GROUP_VOLUME,         // 186: std::pair<unsigned int, float>
    MSG_SOUND_MUTE_GROUP,               // 187: unsigned int
    MSG_SOUND_UNMUTE_GROUP,             // 188: unsigned int
    MSG_EDITOR_SAVE,                    // 189: std::string
    MSG_EDITOR_LOAD,                    // 190: std::string
    MSG_EDITOR_TEST,                    // 191: none
    MSG_EDITOR_DISABLE_PLACEMENT,       // 192: none
    MSG_SCRIPTING_CREATE_LUA_STATE,     // 193: none
    MSG_SCRIPTING_LUA_STATE,            // 194: unsigned int
    MSG_SCRIPTING_DELETE_LUA_STATE,     // 195: unsigned int
    MSG_SCRIPTING_SWITCH_LUA_STATE,     // 196: unsigned int
    MSG_SCRIPTING_LOAD_SCRIPT,          // 197: std::string
    MSG_SCRIPTING_RUN_SCRIPT,           // 198: std::string
    MSG_SCRIPTING_DO_SCRIPT,            // 199: std::string
    MSG_SCRIPTING_CALL_FUNCTION,        // 200: std::string
    MSG_SCRIPTING_CALL_FUNCTION_FLOAT_ARG,           // 201: std::pair<std::string, float>
    MSG_SCRIPTING_CALL_FUNCTION_VECTOR_ARG,          // 202: std::pair<std::string, Vector>
    MSG_SCRIPTING_CALL_FUNCTION_GAME_OBJECT_ARG,     // 203: std::pair<std::string, GameObject*>
    MSG_PARTICLE_SYSTEM_SCRIPT_CREATE_SCRIPT_VECTOR, // 204: std::pair<std::string, Vector>
    MSG_PARTICLE_SYSTEM_SCRIPT_CREATE_SCRIPT_GAME_OBJECT, // 205: std::pair<std::string,
                                                          // GameObject*>
    MSG_PARTICLE_SYSTEM_SCRIPT_KILL,                      // 206: none
    MSG_TRIGGERS_ACTIVATE,                                // 207: none
    MSG_ANIMATION_REINITIALIZE,                           // 208: no payload fixed by its senders
};

inline constexpr u32 kMessageTypeCount = MSG_ANIMATION_REINITIALIZE + 1;

// The id's name ("MSG_NULL" .. "MSG_ANIMATION_REINITIALIZE"); "Invalid" for any other value.
const char* MessageTypeName(u32 type);
