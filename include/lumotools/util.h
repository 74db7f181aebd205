// Support utilities: the log tree, file enumeration with checksums, automatic names and the
// string-encryption entry points.
#ifndef LUMOTOOLS_UTIL_H_
#define LUMOTOOLS_UTIL_H_

#include "lumotools/util/auto_name.h"
#include "lumotools/util/file_info.h"
#include "lumotools/util/log.h"
#include "lumotools/util/string_encrypt.h"
#include "lumotools/version.h"

#endif  // LUMOTOOLS_UTIL_H_
