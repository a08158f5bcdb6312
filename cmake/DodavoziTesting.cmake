# dodavozi_add_test(<name> [DESKTOP] LABELS <area>... SOURCES <files>... LIBS <targets>...)
# One test executable is one CTest entry: every Wine process start costs.
# DESKTOP: the test reads pixels back from its windows or relies on keyboard
# focus; such tests share one desktop and so never run at the same time.
function(dodavozi_add_test name)
  cmake_parse_arguments(T "DESKTOP" "TIMEOUT" "LABELS;SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${DODAVOZI_TEST_DIR})
  target_link_libraries(${name} PRIVATE ${T_LIBS} dodavozi_testsupport gmock gtest)
  # A program that builds the program's windows runs the program's start-up
  # hook (the toolkit links its object into every such program) and checks it.
  if("dodavozi_dialogs" IN_LIST T_LIBS OR "dodavozi_toolkit" IN_LIST T_LIBS)
    target_sources(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/app/ui/ProgramStartUpHookTest.cpp)
  endif()
  add_test(NAME ${name} COMMAND ${name} --gtest_color=no)
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 600)
  endif()
  # The network SDK's device search probes only the loopback address in tests.
  set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}" TIMEOUT ${T_TIMEOUT}
    ENVIRONMENT "QVNET_SEARCH_TARGET=127.0.0.1:9")
  # Windows of tests that run at once share one desktop: activating one takes
  # the foreground (and the focus) from another. User-interface tests (label
  # ui) and tests that read pixels back from their windows run one at a time.
  if(T_DESKTOP OR "ui" IN_LIST T_LABELS)
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK desktop)
  endif()
endfunction()
