# The package writer, and the game folder's assets: data/<name>/ is packed into
# assets/packages/<name>.kzp and data/video/ is copied to assets/video/, beside the game
# binary, as part of every default build.

add_executable(kzpack ${CMAKE_SOURCE_DIR}/tools/kzpack/kzpack.cpp)
target_link_libraries(kzpack PRIVATE gorvane_content)
set_target_properties(kzpack PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tools)

set(GORVANE_ASSETS_DIR ${CMAKE_BINARY_DIR}/assets)
set(GORVANE_PACKAGES art shaders particles sounds levels)

# The folders are dependencies too: a folder's time changes when a file in it is added,
# removed or renamed, which a list of the files alone would not notice.
function(gorvane_data_inputs folder out_var)
  file(GLOB_RECURSE inputs CONFIGURE_DEPENDS LIST_DIRECTORIES true
       ${CMAKE_SOURCE_DIR}/data/${folder}/*)
  set(${out_var} ${CMAKE_SOURCE_DIR}/data/${folder} ${inputs} PARENT_SCOPE)
endfunction()

set(asset_outputs)
foreach(package IN LISTS GORVANE_PACKAGES)
  gorvane_data_inputs(${package} inputs)
  set(output ${GORVANE_ASSETS_DIR}/packages/${package}.kzp)
  add_custom_command(
    OUTPUT ${output}
    COMMAND kzpack pack ${CMAKE_SOURCE_DIR}/data/${package} ${output}
    DEPENDS kzpack ${inputs}
    COMMENT "Packing data/${package} into assets/packages/${package}.kzp"
    VERBATIM)
  list(APPEND asset_outputs ${output})
endforeach()

# Copied whole so a video removed from data/ also leaves the game folder.
gorvane_data_inputs(video video_inputs)
set(video_stamp ${CMAKE_BINARY_DIR}/CMakeFiles/gorvane_video.stamp)
add_custom_command(
  OUTPUT ${video_stamp}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${GORVANE_ASSETS_DIR}/video
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/data/video
          ${GORVANE_ASSETS_DIR}/video
  COMMAND ${CMAKE_COMMAND} -E touch ${video_stamp}
  DEPENDS ${video_inputs}
  COMMENT "Copying data/video to assets/video"
  VERBATIM)
list(APPEND asset_outputs ${video_stamp})

add_custom_target(gorvane_assets ALL DEPENDS ${asset_outputs})

# The game, test and benchmark targets are made after this file is read, so they are tied
# to the assets once the whole directory is known. Tests find the packer and the packed
# content through these definitions.
function(gorvane_assets_attach)
  if(TARGET gorvane)
    add_dependencies(gorvane gorvane_assets)
  endif()
  if(TARGET gorvane_test_support)
    add_dependencies(gorvane_test_support kzpack gorvane_assets)
    target_compile_definitions(gorvane_test_support PUBLIC
      GORVANE_KZPACK="$<TARGET_FILE:kzpack>" GORVANE_ASSETS_DIR="${GORVANE_ASSETS_DIR}")
  endif()
endfunction()
cmake_language(DEFER CALL gorvane_assets_attach)
