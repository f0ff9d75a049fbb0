# vexl_add_library(<target> EXPORT_NAME <name> [LINKS <targets>...])
#
# Builds <dir>/src/**/*.cpp once as an object library <target>_obj (so the
# test program and the demo can link the internals) and wraps the objects
# into the shared library <target> (the deliverable's file name).  Public headers live in
# <dir>/include and are installed as they are.
function(vexl_add_library target)
  cmake_parse_arguments(ARG "" "EXPORT_NAME" "LINKS" ${ARGN})
  file(GLOB_RECURSE _srcs CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/src/*.cpp")
  add_library(${target}_obj OBJECT ${_srcs})
  target_include_directories(${target}_obj
    PUBLIC $<BUILD_INTERFACE:${CMAKE_CURRENT_SOURCE_DIR}/include>
    PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/src)
  target_link_libraries(${target}_obj PRIVATE vexl_warnings)
  # Calls between the library's own exported functions go straight to them (and may be
  # inlined) instead of through the PLT: nobody interposes symbols of these libraries.
  if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    target_compile_options(${target}_obj PRIVATE -fno-semantic-interposition)
  endif()
  foreach(_l IN LISTS ARG_LINKS)
    target_link_libraries(${target}_obj PUBLIC ${_l}_obj)
  endforeach()

  add_library(${target} SHARED $<TARGET_OBJECTS:${target}_obj>)
  add_library(vexl::${ARG_EXPORT_NAME} ALIAS ${target})
  set_target_properties(${target} PROPERTIES
    EXPORT_NAME ${ARG_EXPORT_NAME}
    VERSION ${PROJECT_VERSION}
    SOVERSION ${PROJECT_VERSION_MAJOR}
    # Installed libraries find the libraries they link in their own folder, wherever the
    # prefix is moved: the add-on needs the generator, the generator the lock library.
    BUILD_RPATH_USE_ORIGIN ON
    INSTALL_RPATH "$ORIGIN")
  target_include_directories(${target} PUBLIC
    $<BUILD_INTERFACE:${CMAKE_CURRENT_SOURCE_DIR}/include>
    $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
  target_link_libraries(${target} PUBLIC ${ARG_LINKS} PRIVATE Threads::Threads)
  target_link_libraries(${target}_obj PUBLIC Threads::Threads)
  install(TARGETS ${target} EXPORT vexlTargets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/include/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
endfunction()

# vexl_add_tests(<target> LINKS <objlibs>...)
#
# One GoogleTest program per library from <dir>/tests/*.cpp, linked against
# the library's objects so that internal headers in src/ can be tested too.
function(vexl_add_tests target)
  if(NOT VEXL_BUILD_TESTS)
    return()
  endif()
  cmake_parse_arguments(ARG "" "" "LINKS" ${ARGN})
  file(GLOB _tsrcs CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/tests/*.cpp")
  if(NOT _tsrcs)
    return()
  endif()
  add_executable(${target} ${_tsrcs})
  target_include_directories(${target} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/src ${CMAKE_CURRENT_SOURCE_DIR}/tests)
  target_link_libraries(${target} PRIVATE ${ARG_LINKS} GTest::gtest_main GTest::gmock vexl_warnings)
  target_compile_definitions(${target} PRIVATE
    VEXL_SHARED_DIR="${VEXL_SHARED_DIR}"
    VEXL_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    VEXL_TEST_DATA_DIR="${CMAKE_CURRENT_SOURCE_DIR}/tests/data")
  gtest_discover_tests(${target} DISCOVERY_TIMEOUT 60 PROPERTIES LABELS unit)
endfunction()
