# Script mode: install, configure the consumer, build it, run it; any failure fails the test.
function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "command failed (${rc}): ${ARGN}\n${out}\n${err}")
  endif()
endfunction()

file(REMOVE_RECURSE ${PREFIX} ${CONSUMER_BIN})
run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX})
run(${CMAKE_COMMAND} -S ${CONSUMER_SRC} -B ${CONSUMER_BIN} -DCMAKE_PREFIX_PATH=${PREFIX}
    -DCMAKE_CXX_COMPILER=${CXX} -DEXAMPLE_SOURCE=${EXAMPLE_SOURCE})
run(${CMAKE_COMMAND} --build ${CONSUMER_BIN})
run(${CONSUMER_BIN}/consumer)

# The pkg-config file must describe the same installation.
find_program(PKG_CONFIG pkg-config REQUIRED)
set(ENV{PKG_CONFIG_PATH} ${PREFIX}/lib/pkgconfig)
run(${PKG_CONFIG} --exists --print-errors vexl)
