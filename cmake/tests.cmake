# One GoogleTest executable per folder under tests/, linking the library of the
# source folder of the same name. tests/support holds shared fixtures.
find_package(GTest REQUIRED)
include(GoogleTest)

file(GLOB_RECURSE support_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/support/*.cpp)
add_library(gorvane_test_support STATIC ${support_sources})
target_include_directories(gorvane_test_support PUBLIC ${CMAKE_SOURCE_DIR}/tests ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(gorvane_test_support PUBLIC gorvane_all GTest::gtest GTest::gmock)
if(GORVANE_SANITIZE)
  target_compile_definitions(gorvane_test_support PRIVATE GORVANE_NO_DLCLOSE=1)
endif()
target_compile_definitions(gorvane_test_support PUBLIC
  GORVANE_SOURCE_DIR="${CMAKE_SOURCE_DIR}" GORVANE_BINARY_DIR="${CMAKE_BINARY_DIR}")

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
  add_executable(${target} ${sources})
  target_link_libraries(${target} PRIVATE gorvane_test_support)
  gtest_discover_tests(${target} WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
                       DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300)
endforeach()
