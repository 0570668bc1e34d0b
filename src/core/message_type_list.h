// The message ids in their fixed order, each with the payload its senders attach (see
// Message<T>); "or" marks ids sent with more than one payload type, which handlers read
// through ValueOr/Payload. The numbers appear in logs and handler tables. This is the one
// list: the MessageType enum and the names are both made from it, so a new id is added
// here only, at the end. Included with MESSAGE_TYPE defined; no include guard on purpose.
// clang-format off
MESSAGE_TYPE(MSG_NULL)                                             // 0: no payload fixed by its senders
MESSAGE_TYPE(MSG_PLAYER_COMPONENT)                                 // 1: Component* (the player component; sent as its base)
MESSAGE_TYPE(MSG_AI_OBJECT_COLLISION)                              // 2: no payload fixed by its senders
MESSAGE_TYPE(MSG_SEEK_ARRIVAL)                                     // 3: none
MESSAGE_TYPE(MSG_AI_OBJECT)                                        // 4: GameObject*
MESSAGE_TYPE(MSG_AI_OBJECT_VALID)                                  // 5: bool or GameObject*
MESSAGE_TYPE(MSG_AI_OBJECT_TO_GRAB)                                // 6: std::pair<GameObject*, Vector>
MESSAGE_TYPE(MSG_GRAB)                                             // 7: none or unsigned int
MESSAGE_TYPE(MSG_THROWN)                                           // 8: none
MESSAGE_TYPE(MSG_LASER_OBJ)                                        // 9: none or GameObject*
MESSAGE_TYPE(MSG_BUILDING_COUNT)                                   // 10: std::string
MESSAGE_TYPE(MSG_CITIZEN_PANIC)                                    // 11: none
MESSAGE_TYPE(MSG_AI_OBJECT_TO_LASER)                               // 12: std::pair<GameObject*, Vector>
MESSAGE_TYPE(MSG_AI_OBJECT_TO_THROW_TO)                            // 13: std::pair<GameObject*, Vector>
MESSAGE_TYPE(MSG_LASER_KRAID)                                      // 14: no payload fixed by its senders
MESSAGE_TYPE(MSG_KILL_ALL_AI_AGENTS)                               // 15: none
MESSAGE_TYPE(MSG_GRID_IS_ACTIVE)                                   // 16: no payload fixed by its senders
MESSAGE_TYPE(MSG_ENDLESS_MODE_ON)                                  // 17: bool
MESSAGE_TYPE(MSG_OBJECT_LEVEL_SPAWN)                               // 18: std::string
MESSAGE_TYPE(MSG_AGENT_DIED)                                       // 19: std::string
MESSAGE_TYPE(MSG_BUILDING_DESTRUCTION)                             // 20: std::pair<std::string, bool>
MESSAGE_TYPE(MSG_RESET_OVERALL_KILL_COUNT)                         // 21: no payload fixed by its senders
MESSAGE_TYPE(MSG_RESET_KILL_COUNT)                                 // 22: no payload fixed by its senders
MESSAGE_TYPE(MSG_PLAY_MUSIC)                                       // 23: none
MESSAGE_TYPE(MSG_PLAY_INTRO_MUSIC)                                 // 24: none
MESSAGE_TYPE(MSG_PLAY_AMBUSH_MUSIC)                                // 25: no payload fixed by its senders
MESSAGE_TYPE(MSG_PLAY_UFO_MUSIC)                                   // 26: no payload fixed by its senders
MESSAGE_TYPE(MSG_PLAY_MOTHERSHIP_MUSIC)                            // 27: none
MESSAGE_TYPE(MSG_INC_AGENT_COUNT)                                  // 28: std::string
MESSAGE_TYPE(MSG_TUTORIAL_RIGHTMOUSE_OBJ_LIGHTS)                   // 29: none
MESSAGE_TYPE(MSG_TUTORIAL_LASER_OBJ_LIGHTS)                        // 30: none
MESSAGE_TYPE(MSG_TUTORIAL_GASSTATION_OBJ_LIGHTS)                   // 31: none
MESSAGE_TYPE(MSG_TURN_HEADQUARTERS_LIGHT_ON)                       // 32: none
MESSAGE_TYPE(MSG_TURN_POWER_OBJECT_ON)                             // 33: none
MESSAGE_TYPE(MSG_REMOVE_COUNT)                                     // 34: RemoveCount
MESSAGE_TYPE(MSG_PAUSE_MUSIC)                                      // 35: no payload fixed by its senders
MESSAGE_TYPE(MSG_UNPAUSE_MUSIC)                                    // 36: no payload fixed by its senders
MESSAGE_TYPE(MSG_SPAWN_ADD_COUNT)                                  // 37: int
MESSAGE_TYPE(MSG_SPAWN_CLEAR_COUNT)                                // 38: none
MESSAGE_TYPE(MSG_SPAWN_CONSTANT)                                   // 39: none
MESSAGE_TYPE(MSG_SPAWN_AGENTS)                                     // 40: SpawnStruct
MESSAGE_TYPE(MSG_PLAYER_HEALTH)                                    // 41: float
MESSAGE_TYPE(MSG_PLAYER_POWERUP_LEVEL_INCREASE)                    // 42: no payload fixed by its senders
MESSAGE_TYPE(MSG_PLAYER_POWER_LEVEL)                               // 43: none
MESSAGE_TYPE(MSG_PLAYER_XP)                                        // 44: float or double
MESSAGE_TYPE(MSG_CAMERA_BOSS_ARRIVE)                               // 45: no payload fixed by its senders
MESSAGE_TYPE(MSG_CAMERA_BOSS_DIE)                                  // 46: no payload fixed by its senders
MESSAGE_TYPE(MSG_CAMERA_PLAYER_WIN)                                // 47: none
MESSAGE_TYPE(MSG_GAME_SWITCH_STATE)                                // 48: std::string
MESSAGE_TYPE(MSG_GAME_PUSH_STATE)                                  // 49: std::string
MESSAGE_TYPE(MSG_GAME_POP_STATE)                                   // 50: none
MESSAGE_TYPE(MSG_GAME_QUIT)                                        // 51: none
MESSAGE_TYPE(MSG_GAME_HWND)                                        // 52: HWND
MESSAGE_TYPE(MSG_PROCESS_TIMINGS)                                  // 53: any (ignored)
MESSAGE_TYPE(MSG_LEVEL_EDITOR_MODE)                                // 54: bool
MESSAGE_TYPE(MSG_GAME_SET_WINDOW_FOCUS)                            // 55: none
MESSAGE_TYPE(MSG_GAME_DT_MODIFIER)                                 // 56: float
MESSAGE_TYPE(MSG_LEVEL_CREATE_OBJECT)                              // 57: std::string
MESSAGE_TYPE(MSG_LEVEL_OBJECT_CREATED)                             // 58: GameObject*
MESSAGE_TYPE(MSG_LEVEL_DELETE_OBJECT)                              // 59: GameObject*
MESSAGE_TYPE(MSG_COMPONENT_LIST)                                   // 60: std::string or std::multimap<ComponentType, StreamMap>
MESSAGE_TYPE(MSG_UPDATE_COMPONENT)                                 // 61: StreamMap
MESSAGE_TYPE(MSG_ADD_COMPONENT)                                    // 62: StreamMap
MESSAGE_TYPE(MSG_REMOVE_COMPONENT)                                 // 63: std::pair<std::string, ComponentIndex>
MESSAGE_TYPE(MSG_ADD_GAME_OBJECT)                                  // 64: std::pair<std::string, std::multimap<ComponentType, StreamMap>>
MESSAGE_TYPE(MSG_REMOVE_GAME_OBJECT)                               // 65: std::string
MESSAGE_TYPE(MSG_SAVE_XML)                                         // 66: none
MESSAGE_TYPE(MSG_RESET_XML)                                        // 67: none
MESSAGE_TYPE(MSG_PARSER_GAME_OBJECTS)                              // 68: none (request) or GameObjectDefinitionMap*
MESSAGE_TYPE(MSG_PARSER_SAVE_GAME_OBJECTS)                         // 69: GameObjectDefinitionMap
MESSAGE_TYPE(MSG_LEVEL_PAUSE_PROCESSES)                            // 70: std::vector<unsigned int>
MESSAGE_TYPE(MSG_LEVEL_UNPAUSE_PROCESSES)                          // 71: std::vector<unsigned int>
MESSAGE_TYPE(MSG_LEVEL_GET_OCTREE)                                 // 72: none
MESSAGE_TYPE(MSG_LEVEL_OCTREE)                                     // 73: no payload fixed by its senders
MESSAGE_TYPE(MSG_PAUSE_COMPONENT_UPDATE)                           // 74: none
MESSAGE_TYPE(MSG_UNPAUSE_COMPONENT_UPDATE)                         // 75: none
MESSAGE_TYPE(MSG_LEVEL_LOADING_COMPLETE)                           // 76: none
MESSAGE_TYPE(MSG_LEVEL_INITIALIZE_OCTREE)                          // 77: none
MESSAGE_TYPE(MSG_LEVEL_PROCESS_UPDATE_ONCE)                        // 78: float
MESSAGE_TYPE(MSG_LEVEL_FILM_LEAD_STARTED)                          // 79: none
MESSAGE_TYPE(MSG_LEVEL_FILM_LEAD_ENDED)                            // 80: none
MESSAGE_TYPE(MSG_LEVEL_TOWER_SIZE)                                 // 81: Vector
MESSAGE_TYPE(MSG_LEVEL_TOWER_LOCATION)                             // 82: Vector
MESSAGE_TYPE(MSG_GET_OBJECT_NAMES_WITH_TYPE)                       // 83: std::vector<std::string> or ComponentType
MESSAGE_TYPE(MSG_PAUSE_TRIGGER)                                    // 84: none or bool
MESSAGE_TYPE(MSG_BULLET_VALID)                                     // 85: bool or GameObject*
MESSAGE_TYPE(MSG_INPUT)                                            // 86: no payload fixed by its senders
MESSAGE_TYPE(MSG_PLAYER_CAMERA)                                    // 87: PlayerInfo
MESSAGE_TYPE(MSG_CONSOLE)                                          // 88: ConsoleCmd
MESSAGE_TYPE(MSG_GRAPHIC_INPUT)                                    // 89: InputState
MESSAGE_TYPE(MSG_EDITOR_INPUT)                                     // 90: InputState
MESSAGE_TYPE(MSG_MENU_INPUT)                                       // 91: InputState
MESSAGE_TYPE(MSG_INPUT_SWITCH_EDITOR)                              // 92: none
MESSAGE_TYPE(MSG_INPUT_SWITCH_MENU)                                // 93: none
MESSAGE_TYPE(MSG_INPUT_SWITCH_GAME)                                // 94: none
MESSAGE_TYPE(MSG_INPUT_SWITCH_PAUSE)                               // 95: none
MESSAGE_TYPE(MSG_INPUT_SWITCH_INTRO)                               // 96: none
MESSAGE_TYPE(MSG_INPUT_FORCE_UPDATE)                               // 97: none
MESSAGE_TYPE(MSG_INPUT_DISPLAY_CURSOR)                             // 98: bool
MESSAGE_TYPE(MSG_INPUT_DISABLE_MENU)                               // 99: none
MESSAGE_TYPE(MSG_INPUT_ENABLE_MENU)                                // 100: none
MESSAGE_TYPE(MSG_INPUT_GET_INPUT_STATE)                            // 101: none
MESSAGE_TYPE(MSG_INPUT_STATE)                                      // 102: InputState
MESSAGE_TYPE(MSG_DISABLE_AI)                                       // 103: none
MESSAGE_TYPE(MSG_DISABLE_DEALTH)                                   // 104: no payload fixed by its senders
MESSAGE_TYPE(MSG_DISABLE_OBJECTIVE)                                // 105: no payload fixed by its senders
MESSAGE_TYPE(MSG_RUMBLE_EVENT)                                     // 106: no payload fixed by its senders
MESSAGE_TYPE(MSG_SETUP_CONTROLS_KEYBOARD)                          // 107: KeyBindings
MESSAGE_TYPE(MSG_SETUP_CONTROLS_XBOX)                              // 108: no payload fixed by its senders
MESSAGE_TYPE(MSG_SET_DEFAULT_CONTROLS)                             // 109: unsigned int
MESSAGE_TYPE(MSG_INPUT_SET_X_SENSITIVITY)                          // 110: float
MESSAGE_TYPE(MSG_INPUT_SET_Y_SENSITIVITY)                          // 111: float
MESSAGE_TYPE(MSG_CHECK_FOR_ANY_KEY)                                // 112: no payload fixed by its senders
MESSAGE_TYPE(MSG_CREATE_PARTICLE_SYSTEM)                           // 113: ParticleSystemInfo
MESSAGE_TYPE(MSG_PARTICLE_SYSTEM)                                  // 114: ParticleSystemCPU*
MESSAGE_TYPE(MSG_GRAPHICS_CHECK_WINDOWED)                          // 115: none
MESSAGE_TYPE(MSG_GRAPHICS_WINDOWED)                                // 116: bool
MESSAGE_TYPE(MSG_GRAPHICS_MOTION_BLUR)                             // 117: float
MESSAGE_TYPE(MSG_GRAPHICS_LASER_BEAM_CREATION)                     // 118: LaserBeamInfo
MESSAGE_TYPE(MSG_GRAPHICS_LASER_BEAM_UPDATE)                       // 119: LaserBeamInfo
MESSAGE_TYPE(MSG_GRAPHICS_LASER_BEAM_DELETION)                     // 120: LaserBeamInfo
MESSAGE_TYPE(MSG_GRAPHICS_SAVE_SCREENSHOT)                         // 121: none
MESSAGE_TYPE(MSG_GRAPHICS_EXPOSURE_CHANGE_START)                   // 122: std::pair<float, float>
MESSAGE_TYPE(MSG_GRAPHICS_EXPOSURE_CHANGE_END)                     // 123: float
MESSAGE_TYPE(MSG_GRAPHICS_EXPOSURE_TEMP_CHANGE)                    // 124: std::vector<float>
MESSAGE_TYPE(MSG_GRAPHICS_FULLSCREEN_SWITCH)                       // 125: none
MESSAGE_TYPE(MSG_GRAPHICS_FULLSCREEN_SET)                          // 126: bool
MESSAGE_TYPE(MSG_GRAPHICS_RANDOM_CAMERA_SHAKE)                     // 127: float
MESSAGE_TYPE(MSG_GRAPHICS_BREAK_OBJECT)                            // 128: std::pair<GraphicComponent*, bool> or GraphicComponent*
MESSAGE_TYPE(MSG_GRAPHICS_SET_EXPOSURE_VALUE)                      // 129: float
MESSAGE_TYPE(MSG_GRAPHICS_GET_EXPOSURE_VALUE)                      // 130: none
MESSAGE_TYPE(MSG_GRAPHICS_EXPOSURE_VALUE)                          // 131: float
MESSAGE_TYPE(MSG_GRAPHICS_SET_LIGHT_MULTIPLIER)                    // 132: float
MESSAGE_TYPE(MSG_GRAPHICS_SET_FOG_RANGE)                           // 133: float
MESSAGE_TYPE(MSG_GRAPHICS_SET_FDIST)                               // 134: float
MESSAGE_TYPE(MSG_GRAPHICS_PLAY_FILM_LEAD)                          // 135: none
MESSAGE_TYPE(MSG_GRAPHICS_STOP_FILM_LEAD)                          // 136: none
MESSAGE_TYPE(MSG_GRAPHICS_FADE_IN)                                 // 137: float
MESSAGE_TYPE(MSG_GRAPHICS_FADE_OUT)                                // 138: float
MESSAGE_TYPE(MSG_GRAPHICS_PLAY_CREDITS)                            // 139: none
MESSAGE_TYPE(MSG_GRAPHICS_STOP_CREDITS)                            // 140: none
MESSAGE_TYPE(MSG_GRAPHICS_GET_GRAPHICS_ANIMATION)                  // 141: std::string
MESSAGE_TYPE(MSG_GRAPHICS_GRAPHICS_ANIMATION)                      // 142: GraphicsAnimationMap*
MESSAGE_TYPE(MSG_GRAPHICS_PARTICLE_SYSTEM_VALID)                   // 143: bool or ParticleSystemCPU*
MESSAGE_TYPE(MSG_GRAPHICS_INITIALIZE)                              // 144: none
MESSAGE_TYPE(MSG_GRAPHICS_GET_COLLISION_MESH_DATA)                 // 145: std::pair<std::vector<PhysicsInfo>*,
                                                                   // std::pair<std::string, GameObject*>>
MESSAGE_TYPE(MSG_GRAPHICS_GET_THREE_DEE_SETTING)                   // 146: unsigned int*
MESSAGE_TYPE(MSG_GRAPHICS_SET_THREE_DEE_SETTING)                   // 147: int or unsigned int
MESSAGE_TYPE(MSG_GRAPHICS_SET_MOTION_BLUR_SETTING)                 // 148: bool
MESSAGE_TYPE(MSG_GRAPHICS_GET_MOTION_BLUR_SETTING)                 // 149: bool*
MESSAGE_TYPE(MSG_GRAPHICS_CHANGE_RESOLUTION)                       // 150: none
MESSAGE_TYPE(MSG_GRAPHICS_ENABLE_SHADOWS)                          // 151: bool
MESSAGE_TYPE(MSG_GRAPHICS_GET_USE_NORMAL_DEFERRED_SHADER_QUALITY)  // 152: bool*
MESSAGE_TYPE(MSG_GRAPHICS_SET_USE_NORMAL_DEFERRED_SHADER_QUALITY)  // 153: bool
MESSAGE_TYPE(MSG_GRAPHICS_DISPLAY_GRAPHICS_TEXT)                   // 154: TextGraphicStruct*
MESSAGE_TYPE(MSG_GRAPHICS_UNDISPLAY_GRAPHICS_TEXT)                 // 155: TextGraphic*
MESSAGE_TYPE(MSG_PHYSICS_COLLISION)                                // 156: Collision
MESSAGE_TYPE(MSG_PHYSICS_RADIAL_FORCE)                             // 157: RadialForce
MESSAGE_TYPE(MSG_PHYSICS_FORCE)                                    // 158: float
MESSAGE_TYPE(MSG_PHYSICS_PAUSE)                                    // 159: no payload fixed by its senders
MESSAGE_TYPE(MSG_PHYSICS_GET_OCTREE)                               // 160: none
MESSAGE_TYPE(MSG_PHYSICS_OCTREE)                                   // 161: no payload fixed by its senders
MESSAGE_TYPE(MSG_PHYSICS_FOCUS_POSITION)                           // 162: no payload fixed by its senders
MESSAGE_TYPE(MSG_PHYSICS_FOCUS_DIRECTION)                          // 163: no payload fixed by its senders
MESSAGE_TYPE(MSG_PHYSICS_UPDATE)                                   // 164: none
MESSAGE_TYPE(MSG_PHYSICS_SET_OBJECTS_COLLIDABLE)                   // 165: std::pair<std::pair<GameObject*, GameObject*>, bool>
MESSAGE_TYPE(MSG_BUILDING_TO_GRAB)                                 // 166: std::pair<GameObject*, Vector>
MESSAGE_TYPE(MSG_BUILDING)                                         // 167: GameObject*
MESSAGE_TYPE(MSG_BUILDING_VALID)                                   // 168: bool
MESSAGE_TYPE(MSG_DAMAGE_BUILDING)                                  // 169: std::pair<GameObject*, float>
MESSAGE_TYPE(MSG_BUILDING_DAMAGE_MULTIPLIER)                       // 170: float
MESSAGE_TYPE(MSG_BUILDING_STOP_SPAWNING)                           // 171: none
MESSAGE_TYPE(MSG_BUILDING_START_SPAWNING)                          // 172: none
MESSAGE_TYPE(MSG_BUILDING_OBJECTIVE_IN_MENU)                       // 173: none
MESSAGE_TYPE(MSG_BUILDING_OBJECTIVE_IN_GAME)                       // 174: none
MESSAGE_TYPE(MSG_BUILDING_GET_BUILDINGS)                           // 175: none
MESSAGE_TYPE(MSG_BUILDINGS)                                        // 176: Quadtree<BuildingComponent*>*
MESSAGE_TYPE(MSG_BUILDINGS_MAX_RESPAWN_HEIGHT)                     // 177: float
MESSAGE_TYPE(MSG_LOAD_SOUND)                                       // 178: std::string
MESSAGE_TYPE(MSG_LOAD_SOUND_STREAM)                                // 179: std::string
MESSAGE_TYPE(MSG_GET_SOUND_INSTANCE)                               // 180: std::string
MESSAGE_TYPE(MSG_GET_SOUND_STREAM_INSTANCE)                        // 181: std::string
MESSAGE_TYPE(MSG_RELEASE_SOUND_INSTANCE)                           // 182: SoundInstance*
MESSAGE_TYPE(MSG_SOUND_INSTANCE)                                   // 183: SoundInstance*
MESSAGE_TYPE(MSG_SOUND_LISTENER_POSITION)                          // 184: Vector
MESSAGE_TYPE(MSG_SOUND_SET_MASTER_VOLUME)                          // 185: float
MESSAGE_TYPE(MSG_SOUND_SET_GROUP_VOLUME)                           // 186: std::pair<unsigned int, float>
MESSAGE_TYPE(MSG_SOUND_MUTE_GROUP)                                 // 187: unsigned int
MESSAGE_TYPE(MSG_SOUND_UNMUTE_GROUP)                               // 188: unsigned int
MESSAGE_TYPE(MSG_EDITOR_SAVE)                                      // 189: std::string
MESSAGE_TYPE(MSG_EDITOR_LOAD)                                      // 190: std::string
MESSAGE_TYPE(MSG_EDITOR_TEST)                                      // 191: none
MESSAGE_TYPE(MSG_EDITOR_DISABLE_PLACEMENT)                         // 192: none
MESSAGE_TYPE(MSG_SCRIPTING_CREATE_LUA_STATE)                       // 193: none
MESSAGE_TYPE(MSG_SCRIPTING_LUA_STATE)                              // 194: unsigned int
MESSAGE_TYPE(MSG_SCRIPTING_DELETE_LUA_STATE)                       // 195: unsigned int
MESSAGE_TYPE(MSG_SCRIPTING_SWITCH_LUA_STATE)                       // 196: unsigned int
MESSAGE_TYPE(MSG_SCRIPTING_LOAD_SCRIPT)                            // 197: std::string
MESSAGE_TYPE(MSG_SCRIPTING_RUN_SCRIPT)                             // 198: std::string
MESSAGE_TYPE(MSG_SCRIPTING_DO_SCRIPT)                              // 199: std::string
MESSAGE_TYPE(MSG_SCRIPTING_CALL_FUNCTION)                          // 200: std::string
MESSAGE_TYPE(MSG_SCRIPTING_CALL_FUNCTION_FLOAT_ARG)                // 201: std::pair<std::string, float>
MESSAGE_TYPE(MSG_SCRIPTING_CALL_FUNCTION_VECTOR_ARG)               // 202: std::pair<std::string, Vector>
MESSAGE_TYPE(MSG_SCRIPTING_CALL_FUNCTION_GAME_OBJECT_ARG)          // 203: std::pair<std::string, GameObject*>
MESSAGE_TYPE(MSG_PARTICLE_SYSTEM_SCRIPT_CREATE_SCRIPT_VECTOR)      // 204: std::pair<std::string, Vector>
MESSAGE_TYPE(MSG_PARTICLE_SYSTEM_SCRIPT_CREATE_SCRIPT_GAME_OBJECT) // 205: std::pair<std::string,
                                                                   // GameObject*>
MESSAGE_TYPE(MSG_PARTICLE_SYSTEM_SCRIPT_KILL)                      // 206: none
MESSAGE_TYPE(MSG_TRIGGERS_ACTIVATE)                                // 207: none
MESSAGE_TYPE(MSG_ANIMATION_REINITIALIZE)                           // 208: no payload fixed by its senders
MESSAGE_TYPE(MSG_PHYSICS_PIECE_BODY)                               // 209: PieceBody
MESSAGE_TYPE(MSG_GRAPHICS_TOGGLE_BLOOM)                            // 210: none
// clang-format on
