// Sleeping on a 32-bit word until another thread changes it, provided by the platform backend.
// Internal. Thread-safe.
#ifndef LUMOTOOLS_SRC_PLATFORM_ADDRESS_WAIT_H_
#define LUMOTOOLS_SRC_PLATFORM_ADDRESS_WAIT_H_

#include <atomic>

namespace lumo_platform {

// Sleeps while *word holds expected; may return early without cause, so callers check again.
void WaitWhileEqual(std::atomic<int>* word, int expected);
// Wakes one thread sleeping in WaitWhileEqual on word, if any.
void WakeOne(std::atomic<int>* word);

}  // namespace lumo_platform

#endif  // LUMOTOOLS_SRC_PLATFORM_ADDRESS_WAIT_H_
