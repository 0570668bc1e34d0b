# One GoogleTest executable per folder under tests/, linking only the library of the source
# folder of the same name (plus what a test itself drives directly, listed below).
# tests/support holds shared fixtures.
find_package(GTest REQUIRED)
include(GoogleTest)

add_library(gorvane_test_support STATIC
  ${CMAKE_SOURCE_DIR}/tests/support/test_main.cpp
  ${CMAKE_SOURCE_DIR}/tests/support/component_fixture.cpp
  ${CMAKE_SOURCE_DIR}/tests/support/package_fixture.cpp
  ${CMAKE_SOURCE_DIR}/tests/support/scoped_temp_home.cpp)
target_include_directories(gorvane_test_support PUBLIC ${CMAKE_SOURCE_DIR}/tests ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(gorvane_test_support PUBLIC gorvane_core GTest::gtest GTest::gmock
                      PRIVATE gorvane_warnings)
if(GORVANE_SANITIZE)
  target_compile_definitions(gorvane_test_support PRIVATE GORVANE_NO_DLCLOSE=1)
endif()
target_compile_definitions(gorvane_test_support PUBLIC
  GORVANE_SOURCE_DIR="${CMAKE_SOURCE_DIR}" GORVANE_BINARY_DIR="${CMAKE_BINARY_DIR}")

# Tiny AVI files written with FFmpeg's own muxer, for the tests of the video layers.
add_library(gorvane_test_avi STATIC ${CMAKE_SOURCE_DIR}/tests/support/avi_fixture.cpp)
target_link_libraries(gorvane_test_avi PUBLIC gorvane_test_support PRIVATE PkgConfig::FFMPEG
                      gorvane_warnings)

# Saved screenshots read back for the image checks of the end-to-end runs.
add_library(gorvane_test_image STATIC ${CMAKE_SOURCE_DIR}/tests/support/screenshot_image.cpp)
target_link_libraries(gorvane_test_image PUBLIC gorvane_test_support gorvane_platform_gfx
                      PRIVATE gorvane_warnings)

# A GL device on a hidden window, for the tests that draw.
add_library(gorvane_test_gl STATIC ${CMAKE_SOURCE_DIR}/tests/support/gl_fixture.cpp)
target_link_libraries(gorvane_test_gl PUBLIC gorvane_test_support gorvane_platform_gfx
                      PRIVATE gorvane_warnings)

# The library a test folder tests, when it is not gorvane_<folder>, and what its tests use
# beyond it.
set(GORVANE_TEST_LIBS_platform gorvane_platform_system gorvane_platform_window
    gorvane_platform_input gorvane_platform_gfx gorvane_platform_sound gorvane_platform_video
    gorvane_platform_physics gorvane_platform_gui gorvane_test_gl PkgConfig::SDL2)
set(GORVANE_TEST_LIBS_tools gorvane_content)
set(GORVANE_TEST_LIBS_content gorvane_content PkgConfig::LUA)
# The bundled data, decoded as the game would.
set(GORVANE_TEST_LIBS_assets gorvane_content gorvane_platform_sound PkgConfig::FFMPEG stb)
set(GORVANE_TEST_LIBS_graphics gorvane_graphics gorvane_test_avi gorvane_test_gl)
set(GORVANE_TEST_LIBS_audio gorvane_audio PkgConfig::SDL2_MIXER)
set(GORVANE_TEST_LIBS_app gorvane_app gorvane_test_image PkgConfig::SDL2)
set(GORVANE_TEST_LIBS_PhysX gorvane_physx)

# The suites of tests/app that play the built game in a process of its own. Each keeps several
# cores busy (llvmpipe draws on all of them), so ctest gives each two of its slots, and starts
# them first: they are the longest tests, and a test that needs more than one slot left for
# last waits until the rest are done.
set(GORVANE_GAME_RUN_SUITES EndToEnd TracedPlay MothershipRun StoryLevelRun StoryPlaythrough
    EndlessLevelUnits StoryLevelUnits Soak HeadlessRun SoundOptionsRun BloomRun TutorialRun
    EndlessHighscoreRun)
list(JOIN GORVANE_GAME_RUN_SUITES ".*:" game_runs)
set(game_runs "${game_runs}.*")

file(GLOB test_folders LIST_DIRECTORIES true CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/*)
foreach(dir IN LISTS test_folders)
  get_filename_component(folder ${dir} NAME)
  # tests/fuzz holds libFuzzer targets, built by cmake/fuzz.cmake with clang.
  if(NOT IS_DIRECTORY ${dir} OR folder STREQUAL "support" OR folder STREQUAL "fuzz")
    continue()
  endif()
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${dir}/*.cpp)
  if(NOT sources)
    continue()
  endif()
  string(TOLOWER ${folder} lower)
  set(target test_${lower})
  if(DEFINED GORVANE_TEST_LIBS_${folder})
    set(libs ${GORVANE_TEST_LIBS_${folder}})
  else()
    set(libs gorvane_${lower})
  endif()
  add_executable(${target} ${sources})
  target_link_libraries(${target} PRIVATE ${libs} gorvane_test_support gorvane_warnings)
  if(GORVANE_SANITIZE)
    # Repeats a run once when LeakSanitizer's own exit-time tracer crashed (see the script).
    set_target_properties(${target} PROPERTIES CROSSCOMPILING_EMULATOR
                                               ${CMAKE_SOURCE_DIR}/scripts/sanitizer-retry)
  endif()
  if(folder STREQUAL "app")
    gtest_discover_tests(${target} WORKING_DIRECTORY ${CMAKE_BINARY_DIR} TEST_FILTER ${game_runs}
                         DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 900 PROCESSORS 2 COST 10000)
    gtest_discover_tests(${target} WORKING_DIRECTORY ${CMAKE_BINARY_DIR} TEST_FILTER -${game_runs}
                         DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 600)
  else()
    gtest_discover_tests(${target} WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
                         DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 600)
  endif()
endforeach()
