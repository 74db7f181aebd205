// The version of the LumoTools library, the one its CMake package and pkg-config file carry.
// Thread-safe.
#ifndef LUMOTOOLS_VERSION_H_
#define LUMOTOOLS_VERSION_H_

#include "lumotools/export.h"

// "MAJOR.MINOR.PATCH" of the library the program runs with (not the headers it was built with).
LUMO_EXPORT const char* LumoToolsVersion();

#endif  // LUMOTOOLS_VERSION_H_
