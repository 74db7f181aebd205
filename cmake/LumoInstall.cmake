# Installation: the libraries, their headers, the lumo program, a CMake package
# (find_package(LumoTools) gives LumoTools::lumotools) and a pkg-config file.

include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(LUMO_INSTALLED_LIBRARIES lumo_platform shapekit hostkit lumotools)
set(LUMO_PACKAGE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/LumoTools)

# Installed programs and libraries find the libraries beside them.
set_target_properties(${LUMO_INSTALLED_LIBRARIES} PROPERTIES INSTALL_RPATH "$ORIGIN")
set_target_properties(lumo PROPERTIES INSTALL_RPATH "$ORIGIN/../${CMAKE_INSTALL_LIBDIR}")

# Three components, packaged separately by make package: runtime (the shared libraries), dev
# (headers, link names, the CMake package, the pkg-config file) and tools (lumo).
install(TARGETS ${LUMO_INSTALLED_LIBRARIES} EXPORT LumoToolsTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime NAMELINK_COMPONENT dev
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT dev
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(TARGETS lumo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT tools)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/lumotools
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT dev)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/lib/shapekit/include/shapekit
  ${PROJECT_SOURCE_DIR}/lib/hostkit/include/hostkit
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT dev)

install(EXPORT LumoToolsTargets NAMESPACE LumoTools:: DESTINATION ${LUMO_PACKAGE_DIR}
  COMPONENT dev)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/LumoToolsConfig.cmake.in
  ${PROJECT_BINARY_DIR}/LumoToolsConfig.cmake
  INSTALL_DESTINATION ${LUMO_PACKAGE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/LumoToolsConfigVersion.cmake
  COMPATIBILITY SameMinorVersion)
install(FILES ${PROJECT_BINARY_DIR}/LumoToolsConfig.cmake
  ${PROJECT_BINARY_DIR}/LumoToolsConfigVersion.cmake
  DESTINATION ${LUMO_PACKAGE_DIR} COMPONENT dev)

# The pkg-config file finds the prefix from its own place, so the tree may be installed anywhere.
file(RELATIVE_PATH LUMO_PC_TO_PREFIX "/${CMAKE_INSTALL_LIBDIR}/pkgconfig" "/")
configure_file(${PROJECT_SOURCE_DIR}/cmake/lumotools.pc.in ${PROJECT_BINARY_DIR}/lumotools.pc
  @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/lumotools.pc
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT dev)
