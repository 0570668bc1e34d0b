# One static library per source folder. Sources are picked up by glob, so adding a
# file to a folder needs no change here.

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
endfunction()

gorvane_library(gorvane_platform platform)
target_link_libraries(gorvane_platform PUBLIC
  PkgConfig::SDL2 PkgConfig::SDL2_MIXER PkgConfig::EPOXY PkgConfig::BULLET
  PkgConfig::IMGUI PkgConfig::FFMPEG Threads::Threads stb ${CMAKE_DL_LIBS})

gorvane_library(gorvane_core core)
target_link_libraries(gorvane_core PUBLIC gorvane_platform Boost::headers)

gorvane_library(gorvane_content content)
target_link_libraries(gorvane_content PUBLIC gorvane_core PkgConfig::LUA PkgConfig::TINYXML)

gorvane_library(gorvane_app app)

# Subsystems 4 to 12. The shell builds their processes and they read the shell's input
# state, so the app library and these reference each other; CMake repeats static
# libraries on the link line to resolve that.
set(GORVANE_UPPER graphics PhysX animation player city ai audio ui editor)
set(GORVANE_UPPER_TARGETS)
foreach(folder IN LISTS GORVANE_UPPER)
  string(TOLOWER ${folder} lower)
  gorvane_library(gorvane_${lower} ${folder})
  target_link_libraries(gorvane_${lower} PUBLIC gorvane_content)
  list(APPEND GORVANE_UPPER_TARGETS gorvane_${lower})
endforeach()
target_link_libraries(gorvane_app PUBLIC gorvane_content ${GORVANE_UPPER_TARGETS})
foreach(t IN LISTS GORVANE_UPPER_TARGETS)
  target_link_libraries(${t} PUBLIC gorvane_app)
endforeach()
set_property(TARGET gorvane_app ${GORVANE_UPPER_TARGETS} PROPERTY LINK_INTERFACE_MULTIPLICITY 4)

add_library(gorvane_all INTERFACE)
target_link_libraries(gorvane_all INTERFACE gorvane_app ${GORVANE_UPPER_TARGETS})
