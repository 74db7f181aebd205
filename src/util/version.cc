#include "lumotools/version.h"

const char* LumoToolsVersion() { return LUMO_VERSION_TEXT; }
