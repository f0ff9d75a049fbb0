# Fails unless the add-on library defines exactly one dynamic symbol, esk_link.
#
# Usage: cmake -DLIB=<path to .so> -P check_exports.cmake
if(NOT LIB)
  message(FATAL_ERROR "LIB not given")
endif()
execute_process(COMMAND nm -D --defined-only "${LIB}"
  OUTPUT_VARIABLE _out RESULT_VARIABLE _rc ERROR_VARIABLE _err)
if(NOT _rc EQUAL 0)
  message(FATAL_ERROR "nm failed on ${LIB}: ${_err}")
endif()
string(REPLACE "\n" ";" _lines "${_out}")
set(_names "")
foreach(_line IN LISTS _lines)
  string(REGEX MATCH "[^ ]+$" _name "${_line}")
  if(NOT _name STREQUAL "")
    list(APPEND _names "${_name}")
  endif()
endforeach()
if(NOT _names STREQUAL "esk_link")
  message(FATAL_ERROR "${LIB} must export only esk_link; it exports: ${_names}")
endif()
message(STATUS "${LIB} exports only esk_link")
