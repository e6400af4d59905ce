# Sources of a subsystem library come from fragments: every `*.cmake` file in the
# subsystem's folder adds its own files with quillo_add_sources(). The library is
# created by the first fragment that names it, so areas grow without editing each
# other's lists.
function(quillo_add_sources lib)
  if(NOT TARGET ${lib})
    add_library(${lib} STATIC)
    target_include_directories(${lib} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${lib} PUBLIC quillo_platform quillo_common)
    quillo_warnings(${lib})
  endif()
  target_sources(${lib} PRIVATE ${ARGN})
endfunction()

# Includes every fragment of the calling folder in name order.
macro(quillo_include_fragments)
  file(GLOB _fragments ${CMAKE_CURRENT_SOURCE_DIR}/*.cmake)
  list(SORT _fragments)
  foreach(_fragment ${_fragments})
    include(${_fragment})
  endforeach()
endmacro()

# Adds every direct subfolder of the calling folder that has a CMakeLists.txt.
macro(quillo_add_subfolders)
  file(GLOB _subfolders LIST_DIRECTORIES true ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT _subfolders)
  foreach(_dir ${_subfolders})
    if(IS_DIRECTORY ${_dir} AND EXISTS ${_dir}/CMakeLists.txt)
      add_subdirectory(${_dir})
    endif()
  endforeach()
endmacro()
