# Checks the dynamic symbols a shared library defines (nm -D --defined-only):
# none may be a C-linkage name, so that loading the library never replaces a
# C library function such as asprintf, vasprintf or gettimeofday for the whole
# process.  Everything the library exports is a mangled C++ name.
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
set(_bad "")
set(_count 0)
foreach(_line IN LISTS _lines)
  string(REGEX MATCH "[^ ]+$" _name "${_line}")
  if(_name STREQUAL "")
    continue()
  endif()
  math(EXPR _count "${_count} + 1")
  if(_name MATCHES "^(asprintf|vasprintf|gettimeofday)(@.*)?$")
    list(APPEND _bad "${_name}")
  elseif(_name MATCHES "^_Z" OR _name MATCHES "^__" OR _name MATCHES "^_(init|fini|edata|end)$")
    # C++ names, names reserved to the toolchain (sanitizer bookkeeping), linker symbols.
  else()
    list(APPEND _bad "${_name}")
  endif()
endforeach()
if(_bad)
  message(FATAL_ERROR "${LIB} exports C-linkage symbols: ${_bad}")
endif()
if(_count EQUAL 0)
  message(FATAL_ERROR "${LIB} exports nothing")
endif()
message(STATUS "${LIB}: ${_count} exported symbols, none with C linkage")
