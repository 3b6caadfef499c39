# Test helpers. Every test executable runs under Wine inside the test session
# of this build tree (an Xvfb display and a persistent wineserver on a private
# prefix), which CTest starts before the first test and stops after the last.
#
#   q730x_add_test(NAME <name> SOURCES <files...> [LIBS <libs...>] [GUI] [REGISTRY])
#
# GUI      the test shows windows or injects input: such tests never run at once.
# REGISTRY the test rewrites the product's registry tree: such tests never run at once.

set(_q730x_session ${CMAKE_BINARY_DIR}/test-session.sh)
add_test(NAME test_session_start COMMAND ${_q730x_session} start)
add_test(NAME test_session_stop COMMAND ${_q730x_session} stop)
set_tests_properties(test_session_start PROPERTIES FIXTURES_SETUP session TIMEOUT 120)
set_tests_properties(test_session_stop PROPERTIES FIXTURES_CLEANUP session)

add_library(q730x_test_main STATIC ${PROJECT_SOURCE_DIR}/tests/support/test_main.cpp
            ${PROJECT_SOURCE_DIR}/tests/support/message_window.cpp)
target_link_libraries(q730x_test_main PUBLIC GTest::gtest)

function(q730x_add_test)
  cmake_parse_arguments(T "GUI;REGISTRY" "NAME" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  set_target_properties(${T_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests-bin)
  target_link_libraries(${T_NAME} PRIVATE q730x_test_main ${T_LIBS})
  target_include_directories(${T_NAME} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
  add_test(NAME ${T_NAME} COMMAND ${T_NAME} --gtest_color=no
           WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests-bin)
  set(locks "")
  if(T_GUI)
    list(APPEND locks desktop)
  endif()
  if(T_REGISTRY)
    list(APPEND locks registry)
  endif()
  set_tests_properties(${T_NAME} PROPERTIES FIXTURES_REQUIRED session TIMEOUT 300
)
  if(locks)
    set_tests_properties(${T_NAME} PROPERTIES RESOURCE_LOCK "${locks}")
  endif()
endfunction()
