# Script mode: install, build consumers against the installation with find_package and with
# pkg-config, run them and the installed demo; any failure fails the test. Nothing may need
# LD_LIBRARY_PATH: the installed programs and libraries find each other by their run paths.
unset(ENV{LD_LIBRARY_PATH})

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err
                  WORKING_DIRECTORY ${CONSUMER_BIN})
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "command failed (${rc}): ${ARGN}\n${out}\n${err}")
  endif()
endfunction()

file(REMOVE_RECURSE ${PREFIX} ${CONSUMER_BIN})
file(MAKE_DIRECTORY ${CONSUMER_BIN})
run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX})

# find_package: the quick-start and one program per exported target.
run(${CMAKE_COMMAND} -S ${CONSUMER_SRC} -B ${CONSUMER_BIN} -DCMAKE_PREFIX_PATH=${PREFIX}
    -DCMAKE_CXX_COMPILER=${CXX} -DEXAMPLE_SOURCE=${EXAMPLE_SOURCE})
run(${CMAKE_COMMAND} --build ${CONSUMER_BIN})
foreach(_p consumer use_vexl use_esk_add use_generator use_brick use_lock)
  run(${CONSUMER_BIN}/${_p})
endforeach()

# pkg-config: the flags it prints are all a compiler needs.
find_program(PKG_CONFIG pkg-config REQUIRED)
set(ENV{PKG_CONFIG_PATH} ${PREFIX}/lib/pkgconfig)
execute_process(COMMAND ${PKG_CONFIG} --cflags --libs vexl RESULT_VARIABLE rc
                OUTPUT_VARIABLE flags ERROR_VARIABLE err OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "pkg-config vexl failed: ${err}")
endif()
separate_arguments(flags UNIX_COMMAND "${flags}")
run(${CXX} -std=c++20 ${CONSUMER_SRC}/pkgconfig_consumer.cpp ${flags} -o ${CONSUMER_BIN}/pkgconfig_consumer)
run(${CONSUMER_BIN}/pkgconfig_consumer)

# The installed demo starts from its prefix and walks the sample document.
file(COPY ${SAMPLES_DIR}/keyword.vexl DESTINATION ${CONSUMER_BIN}/demo)
execute_process(COMMAND ${PREFIX}/bin/vexl ${CONSUMER_BIN}/demo/keyword.vexl
                WORKING_DIRECTORY ${CONSUMER_BIN}/demo RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "installed bin/vexl failed (${rc}):\n${out}\n${err}")
endif()

# So does the installed command-line tool.
if(EXISTS ${PREFIX}/bin/vexl-tool)
  run(${PREFIX}/bin/vexl-tool --help)
endif()
