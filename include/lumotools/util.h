// Support utilities: the log tree.
#ifndef LUMOTOOLS_UTIL_H_
#define LUMOTOOLS_UTIL_H_

#include "lumotools/util/log.h"

#endif  // LUMOTOOLS_UTIL_H_
