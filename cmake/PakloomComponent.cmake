include_guard(GLOBAL)

# The engine's objects are not of our types; the sanitizer's check of dynamic
# types would report every call through an engine interface. An INTERFACE
# target, so that the option follows tarnwick_build_flags on the command line
# of the components and of whatever links them.
add_library(pakloom_build_flags INTERFACE)
if(TARNWICK_SANITIZE)
  target_compile_options(pakloom_build_flags INTERFACE $<$<COMPILE_LANGUAGE:C,CXX>:-fno-sanitize=vptr>)
endif()

# The library's parts are object libraries: one shared library is linked from
# all of them, and the tests link the same objects to reach the internals.
# Everything is hidden; only the two exports are marked visible.
function(pakloom_component target)
  set_target_properties(${target} PROPERTIES
    POSITION_INDEPENDENT_CODE ON
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON)
  target_link_libraries(${target} PUBLIC pakloom_build_flags tarnwick_boost Threads::Threads)
endfunction()
