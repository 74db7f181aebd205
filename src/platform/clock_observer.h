// The one function told when the process clock moves: how waiting message queues learn that
// a timer may be due. Internal. Thread-safe.
#ifndef LUMOTOOLS_SRC_PLATFORM_CLOCK_OBSERVER_H_
#define LUMOTOOLS_SRC_PLATFORM_CLOCK_OBSERVER_H_

namespace lumo_platform {

// Makes observer the function that LumoClockMoved and LumoSetClock call. It must not read or
// replace the process clock's installation (it may read the time).
void SetClockMovedObserver(void (*observer)());

}  // namespace lumo_platform

#endif  // LUMOTOOLS_SRC_PLATFORM_CLOCK_OBSERVER_H_
