# Test helpers. Every test executable runs under Wine in a test slot of this
# build tree (test-slots.sh: a Wine prefix with its own wineserver, an Xvfb
# display, a copy of the deployable folder and an update server), which CTest
# starts before the first test and stops after the last. CTest hands each test
# its slot through resource allocation: run-tests.sh gives ctest the resource
# spec (build/test-slots.json, Q730X_TEST_SLOTS slots); without one, every test
# runs in slot 1, one at a time.
#
#   q730x_add_test(NAME <name> SOURCES <files...> [LIBS <libs...>] [GUI] [REGISTRY]
#                  [COST <seconds>])
#
# GUI      the test shows windows or injects input;
# REGISTRY the test rewrites the product's registry tree (its overrides too);
# either needs a slot to itself. Unmarked tests share a slot two at a time.
# COST     about how long the test runs: CTest starts the longest first, so
#          that they do not end the run alone. After a first run CTest goes by
#          the times it measured.

set(_q730x_slots ${CMAKE_BINARY_DIR}/test-slots.sh)
add_test(NAME test_session_start COMMAND ${_q730x_slots} start)
add_test(NAME test_session_stop COMMAND ${_q730x_slots} stop)
set_tests_properties(test_session_start PROPERTIES FIXTURES_SETUP session TIMEOUT 240)
set_tests_properties(test_session_stop PROPERTIES FIXTURES_CLEANUP session)

# Gives a test its slot: the whole of one, or a share of one.
function(q730x_test_slot test)
  cmake_parse_arguments(S "ALONE" "" "" ${ARGN})
  if(S_ALONE)
    set(share ${Q730X_SLOT_CAPACITY})
  else()
    set(share 1)
  endif()
  set_tests_properties(${test} PROPERTIES RESOURCE_GROUPS "slot:${share}")
endfunction()

# Test code is compiled without optimisation and with one precompiled header
# of the platform's and GoogleTest's headers, made once for q730x_test_main and
# used by every test program and test library: parsing those headers took
# most of each test file's compile. What is tested, the product's libraries,
# keeps the build's own flags.
add_library(q730x_test_main STATIC ${PROJECT_SOURCE_DIR}/tests/support/test_main.cpp
            ${PROJECT_SOURCE_DIR}/tests/support/message_window.cpp)
target_link_libraries(q730x_test_main PUBLIC GTest::gtest)
target_compile_options(q730x_test_main PRIVATE -O0)
target_precompile_headers(q730x_test_main PRIVATE <windows.h> <gtest/gtest.h> <cstdint> <functional>
                          <memory> <string> <vector>)

function(q730x_test_code target)
  target_link_libraries(${target} PRIVATE GTest::gtest)
  target_compile_options(${target} PRIVATE -O0)
  target_precompile_headers(${target} REUSE_FROM q730x_test_main)
endfunction()

function(q730x_add_test)
  cmake_parse_arguments(T "GUI;REGISTRY" "NAME;COST" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  set_target_properties(${T_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests-bin)
  target_link_libraries(${T_NAME} PRIVATE q730x_test_main ${T_LIBS})
  q730x_test_code(${T_NAME})
  target_include_directories(${T_NAME} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
  add_test(NAME ${T_NAME} COMMAND ${T_NAME} --gtest_color=no
           WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests-bin)
  set_tests_properties(${T_NAME} PROPERTIES FIXTURES_REQUIRED session TIMEOUT 300)
  if(T_COST)
    set_tests_properties(${T_NAME} PROPERTIES COST ${T_COST})
  endif()
  if(T_GUI OR T_REGISTRY)
    q730x_test_slot(${T_NAME} ALONE)
  else()
    q730x_test_slot(${T_NAME})
  endif()
endfunction()
