# brisko_add_test(NAME name SOURCES ... LIBS ... [LABELS ...] [ENV ...] [RESOURCE_LOCK name])
# One GoogleTest executable per test folder; every case is registered with CTest (a cross build
# registers each suite whole).
function(brisko_add_test)
  cmake_parse_arguments(T "" "NAME;TIMEOUT;RESOURCE_LOCK" "SOURCES;LIBS;LABELS;ENV" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  brisko_warnings(${T_NAME})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  # Lists inside PROPERTIES must keep their separators escaped, or only the first item survives.
  string(REPLACE ";" "\\;" _labels "${T_LABELS}")
  string(REPLACE ";" "\\;" _env "${T_ENV}")
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
    PROPERTIES TIMEOUT ${T_TIMEOUT} LABELS "${_labels}" ENVIRONMENT "${_env}" ${_lock})
endfunction()
