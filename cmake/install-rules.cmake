include(CMakePackageConfigHelpers)

set(VEXL_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/vexl)
install(EXPORT vexlTargets NAMESPACE vexl:: DESTINATION ${VEXL_CMAKE_DIR})
configure_package_config_file(cmake/vexlConfig.cmake.in
  ${PROJECT_BINARY_DIR}/vexlConfig.cmake INSTALL_DESTINATION ${VEXL_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/vexlConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/vexlConfig.cmake ${PROJECT_BINARY_DIR}/vexlConfigVersion.cmake
  DESTINATION ${VEXL_CMAKE_DIR})

# The .pc file lies in <libdir>/pkgconfig: the prefix is that many folders up.
file(RELATIVE_PATH VEXL_PC_RELATIVE_PREFIX "/prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig" "/prefix")
configure_file(cmake/vexl.pc.in ${PROJECT_BINARY_DIR}/vexl.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/vexl.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
