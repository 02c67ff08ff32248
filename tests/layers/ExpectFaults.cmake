# Runs the layer check on the planted tree: it must fail, name every planted fault and nothing else.
execute_process(COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${SOURCE_DIR} -P ${CHECK}
                RESULT_VARIABLE _result OUTPUT_VARIABLE _out ERROR_VARIABLE _err)
set(_text "${_out}${_err}")
if(_result EQUAL 0)
  message(FATAL_ERROR "The layer check passed a tree with planted faults:\n${_text}")
endif()
foreach(_expected
    "src/store/Up.cpp includes src/ui/Window.h: up from layer 0 to 4"
    "src/marketplace/Across.cpp includes src/dispatch/Client.h: across layer 1"
    "src/net/Qt.cpp includes Qt (<QString>) below ui"
    "src/extra has no layer")
  string(FIND "${_text}" "${_expected}" _at)
  if(_at EQUAL -1)
    message(FATAL_ERROR "The layer check missed: ${_expected}\n${_text}")
  endif()
endforeach()
foreach(_allowed "Down.cpp" "Window.cpp")
  string(FIND "${_text}" "${_allowed}" _at)
  if(NOT _at EQUAL -1)
    message(FATAL_ERROR "The layer check refused an allowed include in ${_allowed}:\n${_text}")
  endif()
endforeach()
message(STATUS "layer check: every planted fault reported, nothing else")
