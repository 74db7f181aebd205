// The framework and system names the library is written against, all at once.
#ifndef LUMOTOOLS_PLATFORM_H_
#define LUMOTOOLS_PLATFORM_H_

#include "lumotools/platform/archive.h"
#include "lumotools/platform/array.h"
#include "lumotools/platform/controls.h"
#include "lumotools/platform/crt.h"
#include "lumotools/platform/cstring.h"
#include "lumotools/platform/exception.h"
#include "lumotools/platform/file.h"
#include "lumotools/platform/file_system.h"
#include "lumotools/platform/font.h"
#include "lumotools/platform/global_memory.h"
#include "lumotools/platform/input.h"
#include "lumotools/platform/mem_file.h"
#include "lumotools/platform/message_queue.h"
#include "lumotools/platform/message_box.h"
#include "lumotools/platform/object.h"
#include "lumotools/platform/odbc.h"
#include "lumotools/platform/point_rect.h"
#include "lumotools/platform/sync.h"
#include "lumotools/platform/time.h"
#include "lumotools/platform/types.h"
#include "lumotools/platform/window.h"
#include "lumotools/platform/wnd.h"

#endif  // LUMOTOOLS_PLATFORM_H_
