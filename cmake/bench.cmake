# One Google Benchmark program per source file under bench/.
find_package(benchmark REQUIRED)
file(GLOB bench_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/*.cpp)
foreach(src IN LISTS bench_sources)
  get_filename_component(name ${src} NAME_WE)
  add_executable(bench_${name} ${src})
  target_link_libraries(bench_${name} PRIVATE gorvane_content benchmark::benchmark)
  target_compile_definitions(bench_${name} PRIVATE
    GORVANE_SOURCE_DIR="${CMAKE_SOURCE_DIR}" GORVANE_BINARY_DIR="${CMAKE_BINARY_DIR}")
  set_target_properties(bench_${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
endforeach()
# The physics benchmark compares the layer with a bare Bullet world.
if(TARGET bench_physics_scene)
  target_link_libraries(bench_physics_scene PRIVATE gorvane_physx PkgConfig::BULLET)
endif()
# The frame benchmark draws the city with the renderer.
if(TARGET bench_frame)
  target_link_libraries(bench_frame PRIVATE gorvane_graphics)
  add_dependencies(bench_frame gorvane_assets)
endif()
# The composition benchmark draws on a device of its own.
if(TARGET bench_post_chain)
  target_link_libraries(bench_post_chain PRIVATE gorvane_graphics)
  add_dependencies(bench_post_chain gorvane_assets)
endif()
# The city benchmark runs the building process and its quadtree.
if(TARGET bench_city_buildings)
  target_link_libraries(bench_city_buildings PRIVATE gorvane_city)
endif()
# The AI frame drives the AI process over its own units and buildings.
if(TARGET bench_ai_update)
  target_link_libraries(bench_ai_update PRIVATE gorvane_ai)
endif()
# The level-script benchmark saves and loads through the level editor state.
if(TARGET bench_level_script)
  target_link_libraries(bench_level_script PRIVATE gorvane_editor)
endif()
# The game report runs the built game itself.
if(TARGET bench_game_report)
  add_dependencies(bench_game_report gorvane)
endif()
# The level script benchmark compiles the script by itself as the floor of a load.
if(TARGET bench_level_script)
  target_link_libraries(bench_level_script PRIVATE PkgConfig::LUA)
endif()
