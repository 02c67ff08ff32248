# brisko_add_test(NAME name SOURCES ... LIBS ... [QT] [LABELS ...] [ENV ...] [RESOURCE_LOCK name])
# One GoogleTest executable per test folder; every case is registered with CTest (a cross build
# registers each suite whole). QT: the suite drives widgets, so its main is the one that makes a
# QApplication on the offscreen platform (tests/qt_main) instead of GoogleTest's.
# A suite that takes more than a few seconds a case (the end-to-end road, the crash runs, a 30 s
# lock) carries the label `slow`: the `quick` test preset leaves those out.
function(brisko_add_test)
  cmake_parse_arguments(T "QT" "NAME;TIMEOUT;RESOURCE_LOCK" "SOURCES;LIBS;LABELS;ENV" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  brisko_warnings(${T_NAME})
  if(T_QT)
    set(_main brisko_qt_test_main Qt6::Test)
    list(APPEND T_ENV QT_QPA_PLATFORM=offscreen)
  else()
    set(_main GTest::gtest_main)
  endif()
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock ${_main})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  # Suites that need one machine-wide thing (a fixed port) name it, so CTest runs them one at a time.
  set(_lock)
  if(T_RESOURCE_LOCK)
    set(_lock RESOURCE_LOCK ${T_RESOURCE_LOCK})
  endif()
  if(CMAKE_CROSSCOMPILING)
    # Each start under the emulator costs seconds: a suite runs as one test, in one process.
    add_test(NAME ${T_NAME} COMMAND ${T_NAME})
    set_tests_properties(${T_NAME} PROPERTIES TIMEOUT 1800 LABELS "${T_LABELS}" ENVIRONMENT "${T_ENV}" ${_lock})
    return()
  endif()
  include(GoogleTest)
  gtest_discover_tests(${T_NAME}
    DISCOVERY_TIMEOUT 60
    PROPERTIES TIMEOUT ${T_TIMEOUT} ${_lock})
  # Labels and environment are lists, which the discovery's PROPERTIES cut to their first item: they
  # are set on the discovered cases by a file CTest reads after the discovery's own.
  set(_lists_file ${CMAKE_CURRENT_BINARY_DIR}/${T_NAME}_lists.cmake)
  file(WRITE ${_lists_file}
    "if(${T_NAME}_TESTS)\n"
    "  set_tests_properties(\${${T_NAME}_TESTS} PROPERTIES LABELS [==[${T_LABELS}]==] ENVIRONMENT [==[${T_ENV}]==])\n"
    "endif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${_lists_file})
endfunction()
