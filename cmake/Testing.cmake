# One test executable per source folder, run by CTest natively or, for the
# Windows build, under Wine through CMAKE_CROSSCOMPILING_EMULATOR. Each writes
# GoogleTest's XML report into test-results/ so that the test command can
# count the individual tests of both suites.

if(CMAKE_CROSSCOMPILING AND WIN32)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${PROJECT_SOURCE_DIR}/scripts/wine-run.sh ${CMAKE_BINARY_DIR}/wineprefix)
endif()

set(TARNWICK_TEST_RESULTS test-results)

# tarnwick_add_test_suite(NAME SOURCES files... LIBRARIES libs... [GUI] [PROPERTIES ...])
# GUI suites run on a private Xvfb display of their own.
function(tarnwick_add_test_suite name)
  cmake_parse_arguments(arg "GUI" "" "SOURCES;LIBRARIES;PROPERTIES" ${ARGN})
  tarnwick_add_executable(${name} ${arg_SOURCES})
  target_link_libraries(${name} PRIVATE ${arg_LIBRARIES} tarnwick_test_support GTest::gmock GTest::gtest_main)
  if(arg_GUI)
    set_target_properties(${name} PROPERTIES CROSSCOMPILING_EMULATOR
      "${PROJECT_SOURCE_DIR}/scripts/with-xvfb.sh;${CMAKE_CROSSCOMPILING_EMULATOR}")
  endif()
  add_test(NAME ${name} COMMAND ${name} --gtest_output=xml:${TARNWICK_TEST_RESULTS}/${name}.xml
           WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "TARNWICK_SOURCE_DIR=${PROJECT_SOURCE_DIR};TARNWICK_BINARY_DIR=${CMAKE_BINARY_DIR}")
  if(arg_PROPERTIES)
    set_tests_properties(${name} PROPERTIES ${arg_PROPERTIES})
  endif()
endfunction()

# The peers of an update (tests/support/peers/update-peers.sh): nginx, a
# scripted web peer and the reference rendezvous server, on loopback
# addresses of this build's own, 127.0.3.x natively and 127.0.4.x for the
# Windows build under Wine, so that both can run at once. The update-run and
# the package suites share one start and one stop.
if(WIN32)
  set(TARNWICK_UPDATE_PEER_NETWORK 127.0.4)
else()
  set(TARNWICK_UPDATE_PEER_NETWORK 127.0.3)
endif()
set(TARNWICK_UPDATE_PEER_FOLDER ${CMAKE_BINARY_DIR}/peers/update)

function(tarnwick_use_update_peers suite)
  target_compile_definitions(${suite} PRIVATE
    TARNWICK_UPDATE_NETWORK="${TARNWICK_UPDATE_PEER_NETWORK}" TARNWICK_UPDATE_PEERS="${TARNWICK_UPDATE_PEER_FOLDER}")
  set_property(TEST ${suite} APPEND PROPERTY FIXTURES_REQUIRED installer_update_peers)
endfunction()
