# brisko_add_test(NAME name SOURCES ... LIBS ... [LABELS ...] [ENV ...])
# One GoogleTest executable per test folder; every case is registered with CTest.
function(brisko_add_test)
  cmake_parse_arguments(T "" "NAME;TIMEOUT" "SOURCES;LIBS;LABELS;ENV" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  brisko_warnings(${T_NAME})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  # Lists inside PROPERTIES must keep their separators escaped, or only the first item survives.
  string(REPLACE ";" "\\;" _labels "${T_LABELS}")
  string(REPLACE ";" "\\;" _env "${T_ENV}")
  include(GoogleTest)
  gtest_discover_tests(${T_NAME}
    DISCOVERY_TIMEOUT 60
    PROPERTIES TIMEOUT ${T_TIMEOUT} LABELS "${_labels}" ENVIRONMENT "${_env}")
endfunction()
