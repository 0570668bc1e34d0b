# One static library per layer, linked strictly downwards (ARCHITECTURE.md has the order).
# Sources are picked up by glob, so adding a file to a folder, or a folder under
# src/platform/ that does not exist yet, needs no change here. Third-party libraries are
# linked privately by the one platform layer that wraps them, so nothing above sees their
# headers and a test of core links none of them.

# The project's own code builds without warnings.
add_library(gorvane_warnings INTERFACE)
target_compile_options(gorvane_warnings INTERFACE -Werror)

function(gorvane_library name folder)
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS
       ${CMAKE_SOURCE_DIR}/src/${folder}/*.cpp ${CMAKE_SOURCE_DIR}/src/${folder}/*.c)
  if(NOT sources)
    set(stub ${CMAKE_BINARY_DIR}/stubs/${name}.cpp)
    file(CONFIGURE OUTPUT ${stub} CONTENT "// ${folder} has no sources yet\n")
    set(sources ${stub})
  endif()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
  target_link_libraries(${name} PRIVATE gorvane_warnings)
endfunction()

# The platform layers: system at the bottom, the others beside core.
gorvane_library(gorvane_platform_system platform/system)
target_link_libraries(gorvane_platform_system PUBLIC Threads::Threads
                      PRIVATE PkgConfig::SDL2 ${CMAKE_DL_LIBS})

gorvane_library(gorvane_platform_window platform/window)
target_link_libraries(gorvane_platform_window PUBLIC gorvane_platform_system PRIVATE PkgConfig::SDL2)

gorvane_library(gorvane_platform_input platform/input)
target_link_libraries(gorvane_platform_input PUBLIC gorvane_platform_window PRIVATE PkgConfig::SDL2)

gorvane_library(gorvane_platform_gfx platform/gfx)
target_link_libraries(gorvane_platform_gfx PUBLIC gorvane_platform_window
                      PRIVATE PkgConfig::SDL2 PkgConfig::EPOXY stb)

gorvane_library(gorvane_platform_sound platform/sound)
target_link_libraries(gorvane_platform_sound PUBLIC gorvane_platform_system
                      PRIVATE PkgConfig::SDL2 PkgConfig::SDL2_MIXER)

gorvane_library(gorvane_platform_video platform/video)
target_link_libraries(gorvane_platform_video PUBLIC gorvane_platform_system PRIVATE PkgConfig::FFMPEG)

gorvane_library(gorvane_platform_physics platform/physics)
target_link_libraries(gorvane_platform_physics PUBLIC gorvane_platform_system
                      PRIVATE PkgConfig::BULLET)

gorvane_library(gorvane_platform_gui platform/gui)
target_link_libraries(gorvane_platform_gui PUBLIC gorvane_platform_window
                      PRIVATE PkgConfig::IMGUI PkgConfig::SDL2 PkgConfig::EPOXY)

# Subsystems 1 and 2, then the game's contracts.
gorvane_library(gorvane_core core)
target_link_libraries(gorvane_core PUBLIC gorvane_platform_system Boost::headers)

gorvane_library(gorvane_content content)
target_link_libraries(gorvane_content PUBLIC gorvane_core PRIVATE PkgConfig::LUA PkgConfig::TINYXML)

gorvane_library(gorvane_game game)
target_link_libraries(gorvane_game PUBLIC gorvane_content gorvane_platform_window)

# Subsystems 4 to 12, each on the contracts, the lower subsystems it uses and its platform
# layers.
gorvane_library(gorvane_graphics graphics)
target_link_libraries(gorvane_graphics PUBLIC gorvane_game gorvane_platform_gfx
                      gorvane_platform_video gorvane_platform_input)

gorvane_library(gorvane_physx PhysX)
target_link_libraries(gorvane_physx PUBLIC gorvane_game gorvane_platform_physics)

gorvane_library(gorvane_animation animation)
# The renderer reaches the meshes' animation maps through operations this library registers.
target_link_libraries(gorvane_animation PUBLIC gorvane_game gorvane_physx gorvane_graphics)

gorvane_library(gorvane_player player)
target_link_libraries(gorvane_player PUBLIC gorvane_game gorvane_animation gorvane_physx
                      gorvane_graphics)

gorvane_library(gorvane_city city)
target_link_libraries(gorvane_city PUBLIC gorvane_game gorvane_physx)

gorvane_library(gorvane_ai ai)
target_link_libraries(gorvane_ai PUBLIC gorvane_game gorvane_city gorvane_animation gorvane_player)

gorvane_library(gorvane_audio audio)
target_link_libraries(gorvane_audio PUBLIC gorvane_game gorvane_platform_sound)

gorvane_library(gorvane_ui ui)
target_link_libraries(gorvane_ui PUBLIC gorvane_game gorvane_platform_input gorvane_graphics
                                        gorvane_audio)

gorvane_library(gorvane_editor editor)
target_link_libraries(gorvane_editor PUBLIC gorvane_game gorvane_graphics gorvane_physx gorvane_audio
                      gorvane_platform_input gorvane_platform_gui)

# The shell on top: the Game, the concrete states and main.cpp.
gorvane_library(gorvane_app app)
target_link_libraries(gorvane_app PUBLIC gorvane_graphics gorvane_physx gorvane_animation
                      gorvane_player gorvane_city gorvane_ai gorvane_audio gorvane_ui gorvane_editor
                      gorvane_platform_input gorvane_platform_window)
