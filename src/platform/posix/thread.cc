// Thread identifiers from the kernel's thread ids, cached per thread.
#include <sys/syscall.h>
#include <unistd.h>

#include "lumotools/platform/sync.h"

namespace {

// The initial-exec model makes reading the cache a single load, as the platform library is
// loaded with the program rather than opened later.
__attribute__((tls_model("initial-exec"))) thread_local DWORD t_threadId = 0;

}  // namespace

DWORD GetCurrentThreadId() {
  if (t_threadId == 0) t_threadId = static_cast<DWORD>(syscall(SYS_gettid));
  return t_threadId;
}
