// Concurrency and timing: reader-writer locks, their scoped guards and the process-wide locks.
#ifndef LUMOTOOLS_SYNC_H_
#define LUMOTOOLS_SYNC_H_

#include "lumotools/sync/auto_lock.h"
#include "lumotools/sync/global_lock.h"
#include "lumotools/sync/reader_writer_lock.h"
#include "lumotools/sync/timeout_timer.h"
#include "lumotools/sync/timer_trace.h"
#include "lumotools/sync/win_timer.h"

#endif  // LUMOTOOLS_SYNC_H_
