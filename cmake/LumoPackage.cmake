# make package: Debian packages built by CPack from the install components. liblumotools0 holds the
# shared libraries, liblumotools-dev the headers, link names, CMake package and pkg-config file,
# lumo the program. Library dependencies come from dpkg-shlibdeps; those between the three
# packages are exact versions.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME lumotools)
set(CPACK_PACKAGE_VENDOR "LumoTools developers")
set(CPACK_PACKAGE_CONTACT "LumoTools developers <maintainers@lumotools.example.org>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL runtime dev tools)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_STRIP_FILES ON)
# dpkg-shlibdeps finds the libraries of the build tree that lumo links.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${PROJECT_BINARY_DIR}/src
  ${PROJECT_BINARY_DIR}/src/platform ${PROJECT_BINARY_DIR}/lib/shapekit
  ${PROJECT_BINARY_DIR}/lib/hostkit)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)

set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME liblumotools0)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_RECOMMENDS libsqliteodbc)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SUGGESTS odbc-postgresql)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/cmake/debian/triggers)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_COMPONENT_RUNTIME_DESCRIPTION
  "toolkit library of a quantity take-off application
The shared libraries of LumoTools: typed properties with binary archive
records, a database layer over ODBC, formula functions, display colours,
length ranges, geometry and the polygon clipper, locks and timers.")

set(CPACK_DEBIAN_DEV_PACKAGE_NAME liblumotools-dev)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
# The exported headers include Boost.Any and Loki.
set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS "libboost-dev, libloki-dev")
set(CPACK_COMPONENT_DEV_DEPENDS runtime)
set(CPACK_COMPONENT_DEV_DESCRIPTION
  "toolkit library of a quantity take-off application (development)
Headers, the CMake package (find_package(LumoTools)) and the pkg-config
file (lumotools) for building hosts of LumoTools.")

set(CPACK_DEBIAN_TOOLS_PACKAGE_NAME lumo)
set(CPACK_DEBIAN_TOOLS_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_TOOLS_PACKAGE_RECOMMENDS libsqliteodbc)
set(CPACK_COMPONENT_TOOLS_DEPENDS runtime)
set(CPACK_COMPONENT_TOOLS_DESCRIPTION
  "command-line program of the LumoTools library
Looks inside the files and databases of a quantity take-off application:
archive records, property bags, colour tables, file checksums, polygon
clipping (contour files, WKT, GeoJSON) and formula functions, with JSON
output for scripts.")

# Each package carries its copyright file and changelog (compressed as Debian wants it);
# installed programs need no search path of their own under /usr.
configure_file(${PROJECT_SOURCE_DIR}/cmake/debian/changelog.in ${PROJECT_BINARY_DIR}/debian/changelog
  @ONLY)
execute_process(COMMAND gzip -9nc ${PROJECT_BINARY_DIR}/debian/changelog
  OUTPUT_FILE ${PROJECT_BINARY_DIR}/debian/changelog.gz COMMAND_ERROR_IS_FATAL ANY)
foreach(component runtime dev tools)
  string(TOUPPER ${component} upper)
  install(FILES ${PROJECT_SOURCE_DIR}/cmake/debian/copyright ${PROJECT_BINARY_DIR}/debian/changelog.gz
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${CPACK_DEBIAN_${upper}_PACKAGE_NAME}
    COMPONENT ${component} EXCLUDE_FROM_ALL)
endforeach()
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/LumoPackageStaging.cmake)

include(CPack)
