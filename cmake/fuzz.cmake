# One libFuzzer executable per tests/fuzz/fuzz_*.cpp, in <build>/fuzz/. `make fuzz` builds
# them with clang in build-fuzz/ and runs each over its seed corpus in tests/fuzz/corpus/.
find_package(GTest REQUIRED)

file(GLOB fuzz_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/fuzz/fuzz_*.cpp)
add_custom_target(fuzz_targets)
foreach(source IN LISTS fuzz_sources)
  get_filename_component(name ${source} NAME_WE)
  add_executable(${name} ${source})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests ${CMAKE_SOURCE_DIR}/src)
  # The script target borrows the test stand-ins of tests/content, which use GoogleTest.
  target_link_libraries(${name} PRIVATE gorvane_content PkgConfig::LUA PkgConfig::TINYXML GTest::gtest)
  # The mesh reader lives in the GL device layer.
  if(name STREQUAL "fuzz_xfile")
    target_link_libraries(${name} PRIVATE gorvane_platform_gfx)
  endif()
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
  add_dependencies(fuzz_targets ${name})
endforeach()
