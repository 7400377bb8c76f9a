# Targets of ours are declared with these two functions, so that the build
# enforces the layers: a header is always included by its full path from the
# top of the tree ("installer/core/Failure.h"), and a target finds only the
# folders of the targets it links, and its own. No include directory exposes
# the whole tree; an include that reaches a layer the target does not link
# fails to compile.
#
# Each target gets an include directory of its own in the build tree,
# include/<target>/, holding a single symbolic link named by the path of the
# folder that declares the target (include/tarnwick_core/installer/core ->
# <source>/installer/core).

include_guard(GLOBAL)

function(_tarnwick_expose_own_folder target scope)
  file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  set(include ${PROJECT_BINARY_DIR}/include/${target})
  cmake_path(GET folder PARENT_PATH parent)
  file(MAKE_DIRECTORY ${include}/${parent})
  file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${include}/${folder} SYMBOLIC)
  target_include_directories(${target} ${scope} ${include})
endfunction()

# tarnwick_add_library(NAME STATIC|SHARED|OBJECT|INTERFACE [SOURCES...])
# The folder becomes visible to whatever links the library. Libraries state
# what they build on with target_link_libraries: PUBLIC when their headers
# include it, PRIVATE otherwise.
function(tarnwick_add_library name kind)
  add_library(${name} ${kind} ${ARGN})
  if(kind STREQUAL "INTERFACE")
    _tarnwick_expose_own_folder(${name} INTERFACE)
  else()
    _tarnwick_expose_own_folder(${name} PUBLIC)
    target_link_libraries(${name} PRIVATE tarnwick_build_flags)
  endif()
endfunction()

# tarnwick_add_executable(NAME [WIN32] SOURCES...)
# Programs see their own folder and what they link.
function(tarnwick_add_executable name)
  add_executable(${name} ${ARGN})
  _tarnwick_expose_own_folder(${name} PRIVATE)
  target_link_libraries(${name} PRIVATE tarnwick_build_flags)
endfunction()
