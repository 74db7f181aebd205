# Run by CPack on the staged files before it builds the packages. Under /usr the programs and
# libraries find the libraries in the system's directory, so the search paths they carry for an
# installation anywhere else are removed.
file(GLOB_RECURSE staged LIST_DIRECTORIES false "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*")
foreach(file IN LISTS staged)
  if(NOT IS_SYMLINK "${file}" AND file MATCHES "/bin/[^/]+$|\\.so\\.[0-9.]+$")
    file(RPATH_REMOVE FILE "${file}")
  endif()
endforeach()
