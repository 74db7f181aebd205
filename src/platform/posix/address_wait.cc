// Address waits on the Linux futex: a sleep is one system call, and a wake costs nothing in user
// space beyond the call itself.
#include "../address_wait.h"

#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace lumo_platform {

static_assert(sizeof(std::atomic<int>) == sizeof(int), "a futex word is a plain int");

void WaitWhileEqual(std::atomic<int>* word, int expected) {
  syscall(SYS_futex, reinterpret_cast<int*>(word), FUTEX_WAIT_PRIVATE, expected, nullptr, nullptr,
          0);
}

void WakeOne(std::atomic<int>* word) {
  syscall(SYS_futex, reinterpret_cast<int*>(word), FUTEX_WAKE_PRIVATE, 1, nullptr, nullptr, 0);
}

}  // namespace lumo_platform
